#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "rows/ConvertedColours.h"
#include "rows/LineReader.h"

class PatternSpec;

// The rows of the TIFF form one at a time: three samples per pixel, (R, G, B)
// or (Y, Cb, Cr), 12-bit codes left-aligned in 16 bits, no subsampling. When
// the pattern lists stored lines (getLineRepeats), row k shows the canvas line
// of the pair whose index is k, up to the first missing index; otherwise
// every canvas line is a row.
class TiffRows {
public:
    TiffRows(PatternSpec& pattern, int width, int height, std::vector<std::pair<int, int>>& repeats);

    // The number of rows the image has.
    int rows() const { return static_cast<int>(lines_.size()); }

    // Writes the next row, width * 3 samples, to `out`.
    void next(uint16_t* out);

private:
    using Samples = std::array<uint16_t, 3>;

    int width_;
    bool rgb_;
    std::vector<int> lines_;  // the canvas line of each row
    std::size_t row_ = 0;
    LineReader reader_;
    ConvertedColours converted_;
    std::vector<Samples> samples_;  // the row samples of each colour of the reader's table
};
