#pragma once

// Enumerations shared by the colour model, the pattern framework and the driver.
namespace PatternGen {

// Colour axes of a sample or a canvas. The numeric values are part of the
// program's interface: the driver and the writers compare against ranges of them.
enum colorAxes_e {
    Colour_RGB = 0,
    Colour_RGB_219 = 1,
    Colour_YCbCr_601 = 2,
    Colour_YCbCr_709 = 3,
    Colour_YCbCr_PQ = 4,
    Colour_YCbCr_PQ_Mapped = 5,
    Colour_YCbCr_HLG = 6,
    Colour_YCbCr_HLG_Mapped = 7,
    Colour_YCbCr_2020 = 8,
    Colour_YCbCr_SLog3 = 9,
    Colour_YCbCr_SLog3_Mapped = 10,
    Colour_YCbCr_SLog3_Live = 11,
    Colour_YCbCr_SLog3_Live_Mapped = 12,
    Colour_RGB_PQ = 13,
    Colour_RGB_HLG = 14,
    Colour_RGB_SLog3 = 15,
    Colour_RGB_SLog3_Live = 16,
    Colour_RGB_PQ_Mapped = 17,
    Colour_RGB_HLG_Mapped = 18,
    Colour_RGB_SLog3_Mapped = 19,
    Colour_RGB_SLog3_Live_Mapped = 20,
    Colour_Axes_Count = 21  // sentinel: one past the last real axes, for loops in tests
};

// Chroma sampling: the values are the customary numbers themselves.
enum sampling_e { Sampling_444 = 444, Sampling_422 = 422, Sampling_420 = 420 };

// Deprecated quadrant mode: render at twice the size and write one quarter.
enum quadrant_e {
    Quadrant_None = 0,
    Quadrant_TopRight = 1,
    Quadrant_BottomRight = 2,
    Quadrant_BottomLeft = 3,
    Quadrant_TopLeft = 4
};

}  // namespace PatternGen
