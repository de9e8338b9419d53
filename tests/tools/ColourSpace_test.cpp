#include "tools/ColourSpace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using PatternGen::colorAxes_e;

namespace {

colorAxes_e axesAt(int value)
{
    return static_cast<colorAxes_e>(value);
}

}  // namespace

TEST(ColourSpace, ClassificationGammaTypeAndNames)
{
    // One character per axes value 0..20.
    const std::string colourDifference = "001111111111100000000";
    const std::string rgb = "110000000000011111111";
    const std::string in2020 = "000011111111111111111";
    const std::string hdr = "000011110111111111111";
    const std::string gammaType = "110111112222211111111";
    for (int a = 0; a <= 20; ++a) {
        const ColourSpace cs(axesAt(a), 10, false);
        SCOPED_TRACE(axisToString(cs.axis));
        EXPECT_EQ(cs.isColourDifference(), colourDifference[a] == '1');
        EXPECT_EQ(cs.colourIsRGB(), rgb[a] == '1');
        EXPECT_EQ(cs.colourIsIn2020(), in2020[a] == '1');
        EXPECT_EQ(cs.colourIsHDR(), hdr[a] == '1');
        EXPECT_EQ(cs.gammaType, gammaType[a] - '0');
    }
    EXPECT_STREQ(axisToString(axesAt(12)), "Colour_YCbCr_SLog3_Live_Mapped");
    EXPECT_STREQ(axisToString(axesAt(20)), "Colour_RGB_SLog3_Live_Mapped");
    EXPECT_STREQ(axisToString(axesAt(21)), "undefined");
    colorAxes_e negative;  // the stored integer -1, never converted to the enumeration
    const int minusOne = -1;
    std::memcpy(&negative, &minusOne, sizeof negative);
    EXPECT_STREQ(axisToString(negative), "undefined");
    EXPECT_EQ(ColourSpace(axesAt(21), 10, false).gammaType, 1);
}

TEST(ColourSpace, LevelsAtEveryDepth)
{
    // depth, studio black, studio white, full white, Colour_RGB white, S-Log3 studio white
    const int rows[][6] = {{8, 16, 235, 255, 255, 254},
                           {10, 64, 940, 1020, 1023, 1019},
                           {12, 256, 3760, 4080, 4095, 4079},
                           {16, 4096, 60160, 65280, 65535, 65279}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0]);
        const ColourSpace studio(PatternGen::Colour_YCbCr_709, r[0], false);
        const ColourSpace full(PatternGen::Colour_YCbCr_709, r[0], true);
        const ColourSpace rgb(PatternGen::Colour_RGB, r[0], false);
        const ColourSpace slog3(PatternGen::Colour_YCbCr_SLog3, r[0], false);
        const ColourSpace slog3Full(PatternGen::Colour_YCbCr_SLog3_Live_Mapped, r[0], true);
        EXPECT_EQ(studio.blackLevel, r[1]);
        EXPECT_EQ(studio.whiteLevel, r[2]);
        EXPECT_EQ(full.blackLevel + full.whiteLevel, r[3]);
        EXPECT_EQ(rgb.blackLevel + rgb.whiteLevel, r[4]);
        EXPECT_EQ(slog3.blackLevel, 95);  // not scaled with the depth
        EXPECT_EQ(slog3.whiteLevel, r[5]);
        EXPECT_EQ(slog3Full.blackLevel, 95);
        EXPECT_EQ(slog3Full.whiteLevel, r[4]);
    }
}

TEST(ColourSpace, Normalisation)
{
    EXPECT_EQ(ColourSpace(PatternGen::Colour_YCbCr_709, 10, false).normaliseLuma(940), 1.0);
    EXPECT_EQ(ColourSpace(PatternGen::Colour_YCbCr_SLog3, 10, false).normaliseLuma(64), 0.0);
    EXPECT_EQ(ColourSpace(PatternGen::Colour_YCbCr_709, 12, false).normaliseChroma(256), -0.5);
    EXPECT_EQ(ColourSpace(PatternGen::Colour_YCbCr_709, 10, true).normaliseLuma(1023), 1023.0 / 1020.0);
    // Full-range chroma divides by one step less than full-range luma.
    EXPECT_EQ(ColourSpace(PatternGen::Colour_YCbCr_709, 10, true).normaliseChroma(1019), (1019.0 - 512.0) / 1019.0);
    EXPECT_EQ(ColourSpace(PatternGen::Colour_YCbCr_2020, 12, true).normaliseChroma(0), -2048.0 / 4079.0);
    EXPECT_EQ(ColourSpace(PatternGen::Colour_RGB, 10, false).normaliseChroma(1023), 1.0);
}

TEST(ColourSpace, LimitsClipToTheLegalCodes)
{
    // axes, depth, full range, luma (1) or chroma (0), code in, code out
    const int rows[][6] = {{3, 10, 0, 1, 1020, 1019}, {3, 10, 0, 1, 3, 4},       {3, 10, 0, 1, 1019, 1019},
                           {1, 8, 0, 1, 255, 254},    {3, 12, 0, 0, 4095, 4079}, {3, 10, 1, 1, 1024, 1023},
                           {3, 10, 1, 0, -1, 0},      {0, 10, 0, 1, 1023, 1023}, {0, 10, 0, 1, 1024, 1023},
                           {0, 10, 0, 0, 1023, 1019}};  // Colour_RGB chroma follows the range flag
    for (const auto& r : rows) {
        const ColourSpace cs(axesAt(r[0]), r[1], r[2] != 0);
        int code = r[4];
        const bool changed = r[3] ? cs.limitLuma(code) : cs.limitChroma(code);
        EXPECT_EQ(code, r[5]) << r[0] << " " << r[1] << " " << r[4];
        EXPECT_EQ(changed, r[4] != r[5]) << r[0] << " " << r[1] << " " << r[4];
    }
}

TEST(ColourSpace, GammaCurves)
{
    const ColourSpace type2(PatternGen::Colour_YCbCr_2020, 12, false);
    EXPECT_DOUBLE_EQ(type2.linearFloatToGamma(0.01), 0.045);
    EXPECT_EQ(type2.linearFloatToGamma(0.5), 1.0993 * std::pow(0.5, 0.45) - 0.0993);
    EXPECT_EQ(type2.gammaToLinear(502), std::pow(type2.normaliseLuma(502), 2.2));
    EXPECT_EQ(type2.gammaFloatLinearToNonLinear(0.5), std::pow(0.5, 0.45454545454545453));
    const ColourSpace type1(PatternGen::Colour_YCbCr_709, 10, false);
    EXPECT_EQ(type1.linearToGamma(502), std::pow(type1.normaliseLuma(502), 0.45));
    EXPECT_EQ(type1.gammaFloatLinearToNonLinear(0.25), std::pow(0.25, 0.4166666666666667));
    EXPECT_EQ(type1.gammaFloatToLinear(-0.2), -0.2);  // negative values pass the inverse curves
    const ColourSpace type0(PatternGen::Colour_YCbCr_601, 10, false);
    EXPECT_EQ(type0.linearToGamma(502), 502.0);  // the code itself, not normalised
    EXPECT_EQ(type0.gammaToLinear(940), 1.0);
}
