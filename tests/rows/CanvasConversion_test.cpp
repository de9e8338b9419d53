// The renderers' conversion to the canvas axes reuses its last result only for
// an input identical in every field, colour space included.
#include <gtest/gtest.h>

#include <vector>

#include "rows/CanvasConversion.h"

TEST(CanvasConversion, ReusesOnlyIdenticalInputsAndWidensTenBitsForImagesOnly)
{
    CanvasConversion toRgb(PatternGen::Colour_RGB), toPq(PatternGen::Colour_YCbCr_PQ);
    const Pixel studioWhite(3760, 3760, 3760, PatternGen::Colour_RGB_219, 12);
    EXPECT_EQ(toRgb(studioWhite).y, 4095);
    // Same codes in another range are another colour: 3760 / 4080 of full scale.
    EXPECT_EQ(toRgb(Pixel(3760, 3760, 3760, PatternGen::Colour_RGB_219, 12, true)).y, 3774);
    EXPECT_EQ(toRgb(studioWhite).y, 4095);
    const Pixel& pqWhite = toPq(Pixel(3760, 2048, 2048, PatternGen::Colour_YCbCr_709, 12));
    // The 10-bit PQ answer on the 12-bit render scale.
    EXPECT_EQ((std::vector<int>{pqWhite.bitDepth, pqWhite.y, pqWhite.cb}), (std::vector<int>{12, 509 * 4, 512 * 4}));
    // Instrument files keep the converted codes.
    CanvasConversion toPqCodes(PatternGen::Colour_YCbCr_PQ, CanvasConversion::CodeDepth::AsConverted);
    const Pixel& pqCodes = toPqCodes(Pixel(3760, 2048, 2048, PatternGen::Colour_YCbCr_709, 12));
    EXPECT_EQ((std::vector<int>{pqCodes.bitDepth, pqCodes.y, pqCodes.cb}), (std::vector<int>{10, 509, 512}));
}
