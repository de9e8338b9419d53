#pragma once

#include <cstdint>
#include <vector>

#include "rows/ImageRows.h"

class PatternSpec;

// The rows of a Y'CbCr canvas as planes of code values at the output bit
// depth: exactly the codes of the 16-bit form rounded to that depth (what a
// PNG of the same settings holds), shifted down. The chroma planes take the
// even samples of a row (all of them at 4:4:4), and at 4:2:0 only the even
// rows: the samples whose chroma the subsampled form repeats.
class PlanarRows {
public:
    PlanarRows(PatternSpec& pattern, int width, int height, int bitDepth);

    // Samples in a line of each chroma plane.
    int chromaWidth() const { return chromaWidth_; }

    // Writes the next row's Y' codes (width of them) to `luma`; when the row
    // has a line in the chroma planes, writes it to `cb` and `cr`
    // (chromaWidth() each) and returns true.
    bool next(uint16_t* luma, uint16_t* cb, uint16_t* cr);

private:
    ImageRows rows_;
    int width_;
    int shift_;
    int chromaStep_;  // samples from one chroma sample to the next
    int chromaWidth_;
    bool everyRowChroma_;
    int row_ = 0;
    std::vector<uint16_t> samples_;
};
