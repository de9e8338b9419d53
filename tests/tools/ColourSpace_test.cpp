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

// Expected classification of every axes value, in enumeration order.
struct AxesFacts {
    const char* name;
    bool colourDifference;
    bool rgb;
    bool in2020;
    bool hdr;
    int gammaType;
};

const AxesFacts kAxesFacts[PatternGen::Colour_Axes_Count] = {
    {"Colour_RGB", false, true, false, false, 1},
    {"Colour_RGB_219", false, true, false, false, 1},
    {"Colour_YCbCr_601", true, false, false, false, 0},
    {"Colour_YCbCr_709", true, false, false, false, 1},
    {"Colour_YCbCr_PQ", true, false, true, true, 1},
    {"Colour_YCbCr_PQ_Mapped", true, false, true, true, 1},
    {"Colour_YCbCr_HLG", true, false, true, true, 1},
    {"Colour_YCbCr_HLG_Mapped", true, false, true, true, 1},
    {"Colour_YCbCr_2020", true, false, true, false, 2},
    {"Colour_YCbCr_SLog3", true, false, true, true, 2},
    {"Colour_YCbCr_SLog3_Mapped", true, false, true, true, 2},
    {"Colour_YCbCr_SLog3_Live", true, false, true, true, 2},
    {"Colour_YCbCr_SLog3_Live_Mapped", true, false, true, true, 2},
    {"Colour_RGB_PQ", false, true, true, true, 1},
    {"Colour_RGB_HLG", false, true, true, true, 1},
    {"Colour_RGB_SLog3", false, true, true, true, 1},
    {"Colour_RGB_SLog3_Live", false, true, true, true, 1},
    {"Colour_RGB_PQ_Mapped", false, true, true, true, 1},
    {"Colour_RGB_HLG_Mapped", false, true, true, true, 1},
    {"Colour_RGB_SLog3_Mapped", false, true, true, true, 1},
    {"Colour_RGB_SLog3_Live_Mapped", false, true, true, true, 1},
};

bool isSLog3YCbCr(int value)
{
    return value >= PatternGen::Colour_YCbCr_SLog3 && value <= PatternGen::Colour_YCbCr_SLog3_Live_Mapped;
}

}  // namespace

// ---- classification and names ----

TEST(ColourSpaceAxes, ClassificationAndGammaTypeOfEveryAxes)
{
    for (int a = 0; a < PatternGen::Colour_Axes_Count; ++a) {
        const ColourSpace cs(axesAt(a), 10, false);
        const AxesFacts& f = kAxesFacts[a];
        EXPECT_EQ(cs.isColourDifference(), f.colourDifference) << f.name;
        EXPECT_EQ(cs.colourIsRGB(), f.rgb) << f.name;
        EXPECT_EQ(cs.colourIsIn2020(), f.in2020) << f.name;
        EXPECT_EQ(cs.colourIsHDR(), f.hdr) << f.name;
        EXPECT_EQ(cs.gammaType, f.gammaType) << f.name;
        EXPECT_NE(cs.isColourDifference(), cs.colourIsRGB()) << f.name;
    }
}

TEST(ColourSpaceAxes, NameOfEveryAxes)
{
    for (int a = 0; a < PatternGen::Colour_Axes_Count; ++a) {
        const colorAxes_e axes = axesAt(a);
        EXPECT_STREQ(axisToString(axes), kAxesFacts[a].name);
    }
}

TEST(ColourSpaceAxes, NameOutsideTheEnumerationIsUndefined)
{
    const colorAxes_e past = axesAt(PatternGen::Colour_Axes_Count);
    // Stored as the integer -1 would be, without converting -1 to the enumeration type.
    colorAxes_e negative;
    const int minusOne = -1;
    std::memcpy(&negative, &minusOne, sizeof negative);
    EXPECT_STREQ(axisToString(past), "undefined");
    EXPECT_STREQ(axisToString(negative), "undefined");
}

TEST(ColourSpaceAxes, UnknownAxesTakeThePowerLawAndTheRangeRule)
{
    const ColourSpace cs(axesAt(PatternGen::Colour_Axes_Count), 10, false);
    EXPECT_EQ(cs.gammaType, 1);
    EXPECT_EQ(cs.blackLevel, 64);
    EXPECT_EQ(cs.whiteLevel, 940);
    EXPECT_FALSE(cs.isColourDifference());
    EXPECT_FALSE(cs.colourIsRGB());
}

// ---- levels ----

struct LevelRow {
    int bits;
    int studioBlack;
    int studioWhite;
    int fullWhite;
    int rgbWhite;
    int slog3StudioWhite;
};

class ColourSpaceLevels : public testing::TestWithParam<LevelRow> {};

TEST_P(ColourSpaceLevels, StudioFullRgbAndSLog3Levels)
{
    const LevelRow r = GetParam();
    const ColourSpace studio(PatternGen::Colour_YCbCr_709, r.bits, false);
    EXPECT_EQ(studio.blackLevel, r.studioBlack);
    EXPECT_EQ(studio.whiteLevel, r.studioWhite);

    const ColourSpace full(PatternGen::Colour_YCbCr_709, r.bits, true);
    EXPECT_EQ(full.blackLevel, 0);
    EXPECT_EQ(full.whiteLevel, r.fullWhite);

    for (bool fullRange : {false, true}) {
        const ColourSpace rgb(PatternGen::Colour_RGB, r.bits, fullRange);
        EXPECT_EQ(rgb.blackLevel, 0);
        EXPECT_EQ(rgb.whiteLevel, r.rgbWhite);
    }

    const ColourSpace slog3(PatternGen::Colour_YCbCr_SLog3, r.bits, false);
    EXPECT_EQ(slog3.blackLevel, 95);
    EXPECT_EQ(slog3.whiteLevel, r.slog3StudioWhite);

    const ColourSpace slog3Full(PatternGen::Colour_YCbCr_SLog3_Live_Mapped, r.bits, true);
    EXPECT_EQ(slog3Full.blackLevel, 95);
    EXPECT_EQ(slog3Full.whiteLevel, r.rgbWhite);
}

INSTANTIATE_TEST_SUITE_P(Depths, ColourSpaceLevels,
                         testing::Values(LevelRow{8, 16, 235, 255, 255, 254}, LevelRow{10, 64, 940, 1020, 1023, 1019},
                                         LevelRow{12, 256, 3760, 4080, 4095, 4079},
                                         LevelRow{16, 4096, 60160, 65280, 65535, 65279}));

TEST(ColourSpaceLevelsRules, SLog3BlackIsOnlyForTheYCbCrAxes)
{
    for (int a = 0; a < PatternGen::Colour_Axes_Count; ++a) {
        const ColourSpace cs(axesAt(a), 12, false);
        if (isSLog3YCbCr(a)) {
            EXPECT_EQ(cs.blackLevel, 95) << axisToString(cs.axis);
        } else if (a != PatternGen::Colour_RGB) {
            EXPECT_EQ(cs.blackLevel, 256) << axisToString(cs.axis);
            EXPECT_EQ(cs.whiteLevel, 3760) << axisToString(cs.axis);
        }
    }
}

TEST(ColourSpaceLevelsRules, SetColourSpaceRecomputesEveryField)
{
    ColourSpace cs(PatternGen::Colour_YCbCr_SLog3, 12, true);
    cs.setColourSpace(PatternGen::Colour_YCbCr_601, 8, false);
    EXPECT_EQ(cs.axis, PatternGen::Colour_YCbCr_601);
    EXPECT_EQ(cs.bitDepth, 8);
    EXPECT_FALSE(cs.fullRange);
    EXPECT_EQ(cs.gammaType, 0);
    EXPECT_EQ(cs.blackLevel, 16);
    EXPECT_EQ(cs.whiteLevel, 235);
}

// ---- normalisation ----

TEST(ColourSpaceNormalise, StudioLumaEndPointsAreExact)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_709, 10, false);
    EXPECT_EQ(cs.normaliseLuma(940), 1.0);
    EXPECT_EQ(cs.normaliseLuma(64), 0.0);
    EXPECT_EQ(cs.normaliseLuma(4), -60.0 / 876.0);
}

TEST(ColourSpaceNormalise, FullRangeLumaDividesBy255Steps)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_709, 10, true);
    EXPECT_EQ(cs.normaliseLuma(1020), 1.0);
    EXPECT_EQ(cs.normaliseLuma(1023), 1023.0 / 1020.0);
}

TEST(ColourSpaceNormalise, RgbIgnoresTheRangeFlag)
{
    for (bool fullRange : {false, true}) {
        const ColourSpace cs(PatternGen::Colour_RGB, 10, fullRange);
        EXPECT_EQ(cs.normaliseLuma(1023), 1.0);
        EXPECT_EQ(cs.normaliseChroma(1023), 1.0);
        EXPECT_EQ(cs.normaliseChroma(0), 0.0);
    }
}

TEST(ColourSpaceNormalise, StudioChromaSpans224Steps)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_709, 12, false);
    EXPECT_EQ(cs.normaliseChroma(2048), 0.0);
    EXPECT_EQ(cs.normaliseChroma(3840), 0.5);
    EXPECT_EQ(cs.normaliseChroma(256), -0.5);
}

TEST(ColourSpaceNormalise, FullRangeChromaDividesByOneLessThan255Steps)
{
    const ColourSpace cs10(PatternGen::Colour_YCbCr_709, 10, true);
    EXPECT_EQ(cs10.normaliseChroma(1019), (1019.0 - 512.0) / 1019.0);
    const ColourSpace cs8(PatternGen::Colour_YCbCr_709, 8, true);
    EXPECT_EQ(cs8.normaliseChroma(255), 127.0 / 254.0);
    const ColourSpace cs12(PatternGen::Colour_YCbCr_2020, 12, true);
    EXPECT_EQ(cs12.normaliseChroma(0), -2048.0 / 4079.0);
}

TEST(ColourSpaceNormalise, SLog3LumaStillNormalisesAgainstStudioBlack)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_SLog3, 10, false);
    EXPECT_EQ(cs.normaliseLuma(64), 0.0);
}

// ---- legal limits ----

TEST(ColourSpaceLimit, StudioLumaKeepsClearOfTimingCodes)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_709, 10, false);
    int code = 1020;
    EXPECT_TRUE(cs.limitLuma(code));
    EXPECT_EQ(code, 1019);
    code = 3;
    EXPECT_TRUE(cs.limitLuma(code));
    EXPECT_EQ(code, 4);
    code = 1019;
    EXPECT_FALSE(cs.limitLuma(code));
    EXPECT_EQ(code, 1019);
    code = 4;
    EXPECT_FALSE(cs.limitLuma(code));
    EXPECT_EQ(code, 4);
}

TEST(ColourSpaceLimit, StudioLimitsAtOtherDepths)
{
    const ColourSpace cs8(PatternGen::Colour_RGB_219, 8, false);
    int low = -5;
    int high = 255;
    cs8.limitLuma(low);
    cs8.limitLuma(high);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 254);

    const ColourSpace cs12(PatternGen::Colour_YCbCr_709, 12, false);
    low = 0;
    high = 4095;
    cs12.limitChroma(low);
    cs12.limitChroma(high);
    EXPECT_EQ(low, 16);
    EXPECT_EQ(high, 4079);
}

TEST(ColourSpaceLimit, FullRangeUsesEveryCode)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_709, 10, true);
    int code = 1023;
    EXPECT_FALSE(cs.limitLuma(code));
    code = 1024;
    EXPECT_TRUE(cs.limitLuma(code));
    EXPECT_EQ(code, 1023);
    code = -1;
    EXPECT_TRUE(cs.limitChroma(code));
    EXPECT_EQ(code, 0);
    code = 0;
    EXPECT_FALSE(cs.limitChroma(code));
}

TEST(ColourSpaceLimit, RgbLumaUsesEveryCodeButChromaFollowsTheRange)
{
    const ColourSpace cs(PatternGen::Colour_RGB, 10, false);
    int code = 1023;
    EXPECT_FALSE(cs.limitLuma(code));
    EXPECT_EQ(code, 1023);
    code = 1024;
    EXPECT_TRUE(cs.limitLuma(code));
    EXPECT_EQ(code, 1023);
    code = 0;
    EXPECT_FALSE(cs.limitLuma(code));

    code = 1023;
    EXPECT_TRUE(cs.limitChroma(code));
    EXPECT_EQ(code, 1019);
    code = 0;
    EXPECT_TRUE(cs.limitChroma(code));
    EXPECT_EQ(code, 4);
}

// ---- gamma curves ----

TEST(ColourSpaceGamma, Rec2020CurveHasALinearToe)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_2020, 12, false);
    EXPECT_DOUBLE_EQ(cs.linearFloatToGamma(0.01), 0.045);
    EXPECT_EQ(cs.linearFloatToGamma(0.0181), 4.5 * 0.0181);  // the knee itself is on the toe
    EXPECT_EQ(cs.linearFloatToGamma(0.5), 1.0993 * std::pow(0.5, 0.45) - 0.0993);
    EXPECT_EQ(cs.linearFloatToGamma(-0.1), 4.5 * -0.1);
    EXPECT_EQ(cs.gammaFloatToLinear(0.5), std::pow(0.5, 2.2));
    EXPECT_EQ(cs.gammaFloatLinearToNonLinear(0.5), std::pow(0.5, 0.45454545454545453));
}

TEST(ColourSpaceGamma, PowerLawCurves)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_709, 10, false);
    EXPECT_EQ(cs.linearFloatToGamma(0.25), std::pow(0.25, 0.45));
    EXPECT_EQ(cs.gammaFloatToLinear(0.25), std::pow(0.25, 2.4));
    EXPECT_EQ(cs.gammaFloatLinearToNonLinear(0.25), std::pow(0.25, 0.4166666666666667));
    EXPECT_TRUE(std::isnan(cs.linearFloatToGamma(-0.25)));
}

TEST(ColourSpaceGamma, NoCurveForType0)
{
    const ColourSpace cs(PatternGen::Colour_YCbCr_601, 10, false);
    EXPECT_EQ(cs.linearFloatToGamma(0.3), 0.3);
    EXPECT_EQ(cs.gammaFloatToLinear(0.3), 0.3);
    EXPECT_EQ(cs.gammaFloatLinearToNonLinear(0.3), 0.3);
    EXPECT_EQ(cs.linearToGamma(502), 502.0);  // the code itself, not normalised
    EXPECT_EQ(cs.gammaToLinear(940), 1.0);
}

TEST(ColourSpaceGamma, CodeValueCurvesNormaliseFirst)
{
    const ColourSpace cs709(PatternGen::Colour_YCbCr_709, 10, false);
    const double half = cs709.normaliseLuma(502);
    EXPECT_EQ(cs709.linearToGamma(502), std::pow(half, 0.45));
    EXPECT_EQ(cs709.gammaToLinear(502), std::pow(half, 2.4));

    const ColourSpace cs2020(PatternGen::Colour_YCbCr_2020, 10, false);
    EXPECT_EQ(cs2020.linearToGamma(940), 1.0993 - 0.0993);
    EXPECT_EQ(cs2020.gammaToLinear(502), std::pow(half, 2.2));
}

TEST(ColourSpaceGamma, InverseCurvesPassNegativeValuesThrough)
{
    for (int a : {PatternGen::Colour_YCbCr_601, PatternGen::Colour_YCbCr_709, PatternGen::Colour_YCbCr_2020}) {
        const ColourSpace cs(axesAt(a), 12, false);
        EXPECT_EQ(cs.gammaFloatToLinear(-0.2), -0.2) << cs.gammaType;
        EXPECT_EQ(cs.gammaFloatLinearToNonLinear(-0.2), -0.2) << cs.gammaType;
    }
}
