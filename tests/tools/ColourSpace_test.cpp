#include "tools/ColourSpace.h"

#include <gtest/gtest.h>

#include <utility>

#include "tools/ColourAxes.h"

using namespace PatternGen;

TEST(ColourSpace, LevelsAtEveryDepth)
{
    // depth, studio black, studio white, full white, Colour_RGB white, S-Log3 studio white
    const int rows[][6] = {{8, 16, 235, 255, 255, 254},
                           {10, 64, 940, 1020, 1023, 1019},
                           {12, 256, 3760, 4080, 4095, 4079},
                           {16, 4096, 60160, 65280, 65535, 65279}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0]);
        const auto levels = [&](colorAxes_e axes, bool fullRange) {
            const ColourSpace cs(axes, r[0], fullRange);
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
    EXPECT_EQ(ColourSpace(Colour_YCbCr_709, 10, false).normaliseLuma(940), 1.0);
    EXPECT_EQ(ColourSpace(Colour_YCbCr_SLog3, 10, false).normaliseLuma(64), 0.0);  // against 64, not 95
    EXPECT_EQ(ColourSpace(Colour_YCbCr_709, 12, false).normaliseChroma(256), -0.5);
    EXPECT_EQ(ColourSpace(Colour_YCbCr_709, 10, true).normaliseLuma(1023), 1023.0 / 1020.0);
    // Full-range chroma divides by one step less than full-range luma.
    EXPECT_EQ(ColourSpace(Colour_YCbCr_709, 10, true).normaliseChroma(1019), (1019.0 - 512.0) / 1019.0);
    const struct {
        colorAxes_e axes;
        int bits;
        bool fullRange, luma;
        int in, out;
    } cases[] = {
        {Colour_YCbCr_709, 10, false, true, 1020, 1019}, {Colour_YCbCr_709, 10, false, true, 3, 4},
        {Colour_YCbCr_709, 10, false, true, 1019, 1019}, {Colour_YCbCr_709, 12, false, false, 4095, 4079},
        {Colour_YCbCr_709, 10, true, true, 1024, 1023},  {Colour_YCbCr_709, 10, true, false, -1, 0},
        {Colour_RGB, 10, false, true, 1024, 1023},       {Colour_RGB, 10, false, false, 1023, 1019},  // by the flag
    };
    for (const auto& c : cases) {
        const ColourSpace cs(c.axes, c.bits, c.fullRange);
        int code = c.in;
        const bool changed = c.luma ? cs.limitLuma(code) : cs.limitChroma(code);
        EXPECT_EQ(std::make_pair(code, changed), std::make_pair(c.out, c.in != c.out)) << c.axes << " " << c.in;
    }
}

TEST(ColourSpace, GammaCurvesAndWhichAxesTakeThem)
{
    const ColourSpace rec2020(Colour_YCbCr_2020, 12, false), powerLaw(Colour_YCbCr_709, 10, false);
    EXPECT_DOUBLE_EQ(rec2020.linearFloatToGamma(0.01), 0.045);  // linear segment
    EXPECT_DOUBLE_EQ(rec2020.linearFloatToGamma(0.5), 0.7054347027765129);
    EXPECT_DOUBLE_EQ(powerLaw.linearToGamma(502), 0.7320428479728127);  // 0.5^0.45
    EXPECT_EQ(powerLaw.gammaFloatToLinear(-0.2), -0.2);                 // negative values pass the inverse curves
    EXPECT_EQ(ColourSpace(Colour_YCbCr_601, 10, false).linearToGamma(502), 502.0);  // no curve: the code itself
    // Rec. 601 has no curve; Rec. 2020 and the S-Log3 Y'CbCr signals the Rec. 2020 one; the rest the power law.
    for (const ColourAxes::Facts& f : ColourAxes::kTable) {
        const bool rec2020Curve =
            f.axes == Colour_YCbCr_2020 || (ColourAxes::isYCbCr(f.axes) && f.transfer == ColourAxes::Transfer::SLog3);
        EXPECT_EQ(ColourSpace(f.axes, 10, false).gammaType, f.axes == Colour_YCbCr_601 ? 0
                                                            : rec2020Curve             ? 2
                                                                                       : 1)
            << f.name;
    }
}
