// The renderers' conversion to the canvas axes reuses its last result only for
// an input identical in every field, colour space included.
#include <gtest/gtest.h>

#include "patterns/CanvasConversion.h"

TEST(CanvasConversion, ReusesOnlyIdenticalInputsAndWidensTenBits)
{
    CanvasConversion toRgb(PatternGen::Colour_RGB);
    const Pixel studioWhite(3760, 3760, 3760, PatternGen::Colour_RGB_219, 12);
    const Pixel sameCodesFullRange(3760, 3760, 3760, PatternGen::Colour_RGB_219, 12, true);
    EXPECT_EQ(toRgb(studioWhite).y, 4095);
    // Same codes in another range are another colour: 3760 / 4080 of full scale.
    EXPECT_EQ(toRgb(sameCodesFullRange).y, 3774);
    EXPECT_EQ(toRgb(studioWhite).y, 4095);

    CanvasConversion toPq(PatternGen::Colour_YCbCr_PQ);
    const Pixel& pqWhite = toPq(Pixel(3760, 2048, 2048, PatternGen::Colour_YCbCr_709, 12));
    EXPECT_EQ(pqWhite.bitDepth, 12);
    EXPECT_EQ(pqWhite.y, 509 * 4);  // the 10-bit PQ answer on the 12-bit render scale
    EXPECT_EQ(pqWhite.cb, 512 * 4);
}
