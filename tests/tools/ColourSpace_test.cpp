#include "tools/ColourSpace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

using namespace PatternGen;

namespace {

ColourSpace space(int axes, int depth, bool fullRange = false)
{
    return ColourSpace(static_cast<colorAxes_e>(axes), depth, fullRange);
}

}  // namespace

TEST(ColourSpace, ClassificationGammaTypeAndNames)
{
    // Per axes value 0..20: colour difference, R'G'B', 2020, HDR, gamma type.
    const char* columns[] = {"001111111111100000000", "110000000000011111111", "000011111111111111111",
                             "000011110111111111111", "110111112222211111111"};
    for (int a = 0; a <= 20; ++a) {
        const ColourSpace c = space(a, 10);
        const std::string got = {char('0' + c.isColourDifference()), char('0' + c.colourIsRGB()),
                                 char('0' + c.colourIsIn2020()), char('0' + c.colourIsHDR()), char('0' + c.gammaType)};
        EXPECT_EQ(got, (std::string{columns[0][a], columns[1][a], columns[2][a], columns[3][a], columns[4][a]})) << a;
    }
    EXPECT_STREQ(axisToString(static_cast<colorAxes_e>(12)), "Colour_YCbCr_SLog3_Live_Mapped");
    EXPECT_STREQ(axisToString(static_cast<colorAxes_e>(21)), "undefined");
    colorAxes_e negative;  // the stored integer -1, never converted to the enumeration
    const int minusOne = -1;
    std::memcpy(&negative, &minusOne, sizeof negative);
    EXPECT_STREQ(axisToString(negative), "undefined");
}

TEST(ColourSpace, LevelsAtEveryDepth)
{
    // depth, studio black, studio white, full white, Colour_RGB white, S-Log3 studio white
    const int rows[][6] = {{8, 16, 235, 255, 255, 254}, {10, 64, 940, 1020, 1023, 1019},
                           {12, 256, 3760, 4080, 4095, 4079}, {16, 4096, 60160, 65280, 65535, 65279}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0]);
        const auto levels = [&](int axes, bool fullRange) {
            const ColourSpace cs = space(axes, r[0], fullRange);
            return std::make_pair(cs.blackLevel, cs.whiteLevel);
        };
        EXPECT_EQ(levels(Colour_YCbCr_709, false), std::make_pair(r[1], r[2]));
        EXPECT_EQ(levels(Colour_YCbCr_709, true), std::make_pair(0, r[3]));
        EXPECT_EQ(levels(Colour_RGB, false), std::make_pair(0, r[4]));
        // The S-Log3 black is not scaled with the depth.
        EXPECT_EQ(levels(Colour_YCbCr_SLog3, false), std::make_pair(95, r[5]));
        EXPECT_EQ(levels(Colour_YCbCr_SLog3_Live_Mapped, true), std::make_pair(95, r[4]));
    }
}

TEST(ColourSpace, NormalisationAndLimits)
{
    EXPECT_EQ(space(Colour_YCbCr_709, 10).normaliseLuma(940), 1.0);
    EXPECT_EQ(space(Colour_YCbCr_SLog3, 10).normaliseLuma(64), 0.0);  // against 64, not 95
    EXPECT_EQ(space(Colour_YCbCr_709, 12).normaliseChroma(256), -0.5);
    EXPECT_EQ(space(Colour_YCbCr_709, 10, true).normaliseLuma(1023), 1023.0 / 1020.0);
    // Full-range chroma divides by one step less than full-range luma.
    EXPECT_EQ(space(Colour_YCbCr_709, 10, true).normaliseChroma(1019), (1019.0 - 512.0) / 1019.0);
    // axes, depth, full range, luma (1) or chroma (0), code in, code out; Colour_RGB chroma follows the range flag
    const int rows[][6] = {{3, 10, 0, 1, 1020, 1019}, {3, 10, 0, 1, 3, 4},       {3, 10, 0, 1, 1019, 1019},
                           {3, 12, 0, 0, 4095, 4079}, {3, 10, 1, 1, 1024, 1023}, {3, 10, 1, 0, -1, 0},
                           {0, 10, 0, 1, 1024, 1023}, {0, 10, 0, 0, 1023, 1019}};
    for (const auto& r : rows) {
        const ColourSpace cs = space(r[0], r[1], r[2] != 0);
        int code = r[4];
        const bool changed = r[3] ? cs.limitLuma(code) : cs.limitChroma(code);
        EXPECT_EQ(std::make_pair(code, changed), std::make_pair(r[5], r[4] != r[5])) << r[0] << " " << r[4];
    }
}

TEST(ColourSpace, GammaCurves)
{
    const ColourSpace type2 = space(Colour_YCbCr_2020, 12), type1 = space(Colour_YCbCr_709, 10);
    EXPECT_DOUBLE_EQ(type2.linearFloatToGamma(0.01), 0.045);  // linear segment
    EXPECT_DOUBLE_EQ(type2.linearFloatToGamma(0.5), 0.7054347027765129);
    EXPECT_DOUBLE_EQ(type1.linearToGamma(502), 0.7320428479728127);  // 0.5^0.45
    EXPECT_EQ(type1.gammaFloatToLinear(-0.2), -0.2);  // negative values pass the inverse curves
    EXPECT_EQ(space(Colour_YCbCr_601, 10).linearToGamma(502), 502.0);  // gamma type 0: the code, not normalised
}
