#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rows/ConvertedColours.h"
#include "rows/LineReader.h"

class PatternSpec;

// The rows of the 16-bit image form one at a time: four samples per pixel,
// (R, G, B, alpha) or (Cr, Y, Cb, alpha), 12-bit codes left-aligned in 16
// bits, with the chroma subsampling and line-end shaping of the form. The
// whole-buffer run_body writes these rows one under the other; the program
// hands each to a writer as it is made, rounded to its bit depth.
class ImageRows {
public:
    // Throws "Quadrant mode is depracated" for a quadrant of a pattern that
    // uses the full canvas, before anything is produced.
    ImageRows(PatternSpec& pattern, int width, int height);

    // Rounds every sample to `bitDepth` by the canvas rule, as
    // Rounding::roundSamples does to a whole buffer. Set before the first row.
    void roundTo(int bitDepth) { roundBits_ = bitDepth; }

    // Writes the next row, width * 4 samples, to `out`.
    void next(uint16_t* out);

private:
    using Samples = std::array<uint16_t, 4>;

    Samples samplesOf(const Pixel& converted) const;
    void shapeEnd(int x, const Pixel& converted, Samples& s) const;
    // The samples first ... end - 1 of a row, shaped where they are near
    // the line ends; putPlainSamples for a stretch with none to shape.
    void putSamples(const uint32_t* line, int first, int end, uint16_t* out);
    void putPlainSamples(const uint32_t* line, int first, int end, uint16_t* out);

    PatternSpec& pattern_;
    int width_;
    int xFirst_ = 0;
    int yFirst_ = 0;
    int pictureLineFirst_ = 0;  // the ends of the whole picture's lines,
    int pictureLineLast_ = 0;   // which line-end shaping darkens
    bool shapeLineEnds_ = false;
    int roundBits_ = 0;  // 0: not rounded
    int row_ = 0;
    Pixel black_;
    LineReader reader_;
    ConvertedColours converted_;
    std::vector<Samples> samples_;  // per colour of the reader's table
    Samples chroma_;                // the chroma source carried from the last even x
    std::vector<uint16_t> above_;   // the last row, for 4:2:0
};
