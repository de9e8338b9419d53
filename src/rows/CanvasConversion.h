#pragma once

#include "tools/PatternGen.h"
#include "tools/Pixel.h"

// Converts the samples a pattern answers with to the canvas axes. The image
// outputs take 12-bit code values (the 10-bit answers of the HDR Y'CbCr
// conversions are widened); the instrument files take the codes as converted.
// A pattern answers with long runs of identical samples and a conversion
// depends on nothing but its input, so the last result is reused while the
// input repeats: the renderers then convert once per run instead of per sample.
class CanvasConversion {
public:
    enum class CodeDepth {
        Render12Bit,  // 10-bit answers multiplied by 4 and marked 12-bit
        AsConverted,  // every answer at the depth the conversion gave it
    };

    explicit CanvasConversion(PatternGen::colorAxes_e axes, CodeDepth depth = CodeDepth::Render12Bit)
        : axes_(axes), depth_(depth)
    {
    }

    const Pixel& operator()(const Pixel& sample);

private:
    PatternGen::colorAxes_e axes_;
    CodeDepth depth_;
    bool cached_ = false;
    Pixel lastInput_;
    Pixel lastOutput_;
};
