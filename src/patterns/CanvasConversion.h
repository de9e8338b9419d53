#pragma once

#include "tools/PatternGen.h"
#include "tools/Pixel.h"

// Converts the samples a pattern answers with to the canvas axes, as 12-bit
// code values (the 10-bit answers of the HDR Y'CbCr conversions are widened).
// A pattern answers with long runs of identical samples and a conversion
// depends on nothing but its input, so the last result is reused while the
// input repeats: the renderers then convert once per run instead of per sample.
class CanvasConversion {
public:
    explicit CanvasConversion(PatternGen::colorAxes_e axes) : axes_(axes) {}

    const Pixel& operator()(const Pixel& sample);

private:
    PatternGen::colorAxes_e axes_;
    bool cached_ = false;
    Pixel lastInput_;
    Pixel lastOutput_;
};
