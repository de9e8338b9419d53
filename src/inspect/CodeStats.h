#pragma once

#include <cstdint>
#include <vector>

#include "inspect/FrameShape.h"
#include "tools/PatternGen.h"

// What the codes of a whole picture show, gathered row by row as they are
// read: the depth they were rounded to and the chroma sampling they repeat.
class CodeStats {
public:
    explicit CodeStats(const FrameShape& shape);

    void add(const uint16_t* row);
    int rows() const { return rows_; }

    // The fewest top bits that hold every present sample (at least 8, the
    // smallest depth pm5544 renders): 12 for a 12-bit card in 16-bit samples.
    int narrowestCodeBits() const;

    // The chroma sampling the present pixels show: 4:2:2 when every odd pixel
    // repeats the Cr and Cb (red and blue) samples of the pixel before it,
    // 4:2:0 when every odd line also repeats those of the line above.
    PatternGen::sampling_e apparentSampling() const;

private:
    FrameShape shape_;
    int rows_ = 0;
    unsigned used_ = 0;
    bool pairs_;
    bool linePairs_ = true;
    std::vector<uint16_t> above_;
};
