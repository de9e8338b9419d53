#include <gtest/gtest.h>

#include <tuple>

#include "support/Capture.h"
#include "support/PixelExpectations.h"
#include "tools/Pixel.h"

using namespace PatternGen;

namespace {

Pixel p10(int y, int cb, int cr, colorAxes_e axes = Colour_YCbCr_709, bool fullRange = false)
{
    return Pixel(y, cb, cr, axes, 10, fullRange);
}

}  // namespace

TEST(PixelArithmetic, DefaultAndAddition)
{
    EXPECT_EQ(codesOf(Pixel()), codes(256, 2048, 2048));                      // 12-bit 709 black
    EXPECT_EQ(codesOf(Pixel(70000, -1, 3)), codes(70000 - 65536, 65535, 3));  // low 16 bits kept
    // About black and mid, with this pixel's levels only; nothing clipped.
    EXPECT_EQ(codesOf(Pixel(1000, 2100, 2000) + p10(500, 600, 512)), codes(1244, 652, 464));
}

TEST(PixelArithmetic, Scaling)
{
    // Half added before a truncating division: up for positive offsets, toward mid for negative.
    EXPECT_EQ(codesOf(Pixel(3760, 3840, 256).scale(75, 100)), codes(2884, 3392, 705));
    // scale(double) truncates: 256 + 3504 x 0.3 = 1307.2, 2048 - 1792 x 0.3 = 1510.4.
    EXPECT_EQ(codesOf(Pixel(3760, 3840, 256).scale(0.3)), codes(1307, 2585, 1510));
    EXPECT_EQ(Pixel(0, 2048, 2048).scale(2.0).y, 0);  // negative gives 0
    EXPECT_EQ(codesOf(Pixel(3760, 3840, 256).scaleLumChrom(0.5, 0.0)), codes(2008, 2048, 2048));
    EXPECT_EQ(codesOf(Pixel(3760, 3840, 256).scaleWithClip(120, 100)), codes(4079, 4079, 16));
    EXPECT_EQ(codesOf(Pixel(4095, 0, 2000, Colour_RGB).scaleWithClip(120, 100)), codes(4095, 0, 2400));
    // In linear light, truncated: 256 + 3504 x 0.25^0.45 = 2133.75; chroma keeps the integer rule.
    EXPECT_EQ(codesOf(Pixel(3760, 3840, 2048).scaleWithGamma(25, 100)), codes(2133, 2496, 2048));
}

TEST(PixelArithmetic, ScalingInLinearLightFollowsTheRec2020Curve)
{
    // White scaled to linear x, re-encoded as 256 + 3504 E: E = 4.5 x up to the
    // knee at 0.0181, E = 1.0993 x^0.45 - 0.0993 above it.
    const Pixel white(3760, 2048, 2048, Colour_YCbCr_2020);
    const struct {
        int numerator, denominator, luma;
    } cases[] = {
        {0, 1, 256},       {5, 1000, 334},  // 256 + 3504 x 0.0225 = 334.84
        {16, 1000, 508},                    // on the line: 508.29; the power law would give 507.20
        {20, 1000, 570},                    // on the power law: 570.49; the line would give 571.36
        {50, 1000, 908},                    // 256 + 3504 x 0.18624 = 908.6
        {500, 1000, 2727},                  // 256 + 3504 x 0.70543 = 2727.8
        {1, 1, 3760},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(white.scaleWithGamma(c.numerator, c.denominator).y, c.luma) << c.numerator << "/" << c.denominator;
    }
}

TEST(PixelArithmetic, TruncateAndRoundChangeOnlyTheDepth)
{
    EXPECT_EQ(codesOf(Pixel().truncateTo(10)), codes(64, 512, 512));
    const Pixel rounded = Pixel(3761, 2050, 2045).roundTo(10);
    EXPECT_EQ(codesOf(rounded), codes(940, 513, 511));
    EXPECT_EQ(std::make_tuple(rounded.bitDepth, rounded.alpha, rounded.whiteLevel), std::make_tuple(10, 1023, 3760));
    EXPECT_EQ(Pixel(0, 2046, 2046).roundTo(10).cb, 511);  // chroma rule only for colour difference
    EXPECT_EQ(Pixel(0, 2046, 2046, Colour_RGB).roundTo(10).cb, 512);
    // In-range samples near the top are held at the largest code; out-of-range ones reduce as they are.
    EXPECT_EQ(codesOf(Pixel(4095, 4095, 4094, Colour_RGB).roundTo(10)), codes(1023, 1023, 1023));
    EXPECT_EQ(Pixel(3760, 2048, 2048).scale(150, 100).roundTo(10).y, 1378);  // 5512 / 4
}

TEST(PixelArithmetic, ReferenceLevelsOfEachAxesFamily)
{
    // subBlack, superWhite and noAlpha of the 10-bit studio-range pixel (500, 300, 700)
    const struct {
        colorAxes_e axes;
        Codes subBlack, superWhite;
        int noAlpha;
    } cases[] = {
        {Colour_RGB, {500, 300, 700}, {500, 300, 700}, 4},
        {Colour_RGB_219, {4, 4, 4}, {1019, 1019, 1019}, 64},
        {Colour_YCbCr_601, {4, 512, 512}, {1019, 512, 512}, 64},
        {Colour_YCbCr_SLog3_Live_Mapped, {4, 512, 512}, {1019, 512, 512}, 64},
        {Colour_RGB_PQ, {500, 300, 700}, {1019, 1019, 1019}, 4},
        {Colour_RGB_SLog3_Live_Mapped, {500, 300, 700}, {1019, 1019, 1019}, 4},
        {Colour_Axes_Count, {500, 300, 700}, {500, 300, 700}, 1023},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.axes);
        const Pixel p = p10(500, 300, 700, c.axes);
        EXPECT_EQ(codesOf(p.subBlack()), c.subBlack);
        EXPECT_EQ(codesOf(p.superWhite()), c.superWhite);
        EXPECT_EQ(p.noAlpha().alpha, c.noAlpha);
    }
    EXPECT_EQ(codesOf(p10(1023, 0, 1020).legalise()), codes(1019, 4, 1019));
    EXPECT_EQ(codesOf(p10(1023, 0, 1020, Colour_YCbCr_709, true).legalise()), codes(1023, 0, 1020));
}

TEST(PixelArithmetic, BlendMixesNormalisedValuesAndTruncates)
{
    // 64 + 0.25 x 876 = 283; 512 + 0.25 x 448 = 624; 512 - 0.25 x 448 = 400.
    EXPECT_EQ(codesOf(p10(940, 512, 512).blend(0.25, 0.75, p10(64, 960, 64))), codes(283, 624, 400));
    // Full range: chroma over 1019 steps: 512 + 0.9 x 501 = 962.9, 512 - 0.9 x 507 = 55.7.
    const Pixel fullMid = p10(0, 512, 512, Colour_YCbCr_709, true);
    EXPECT_EQ(codesOf(p10(1020, 1013, 5, Colour_YCbCr_709, true).blend(0.5, 0.9, fullMid)), codes(510, 962, 55));
    // R'G'B' mixes codes with the luma weight only: 701 x 0.75 + 300 x 0.25 = 600.75.
    const Pixel rgb = p10(100, 200, 300, Colour_RGB_219);
    EXPECT_EQ(codesOf(rgb.blend(0.25, 0.9, p10(500, 600, 701, Colour_RGB_219))), codes(400, 500, 600));
}

TEST(PixelArithmetic, PrintAndPrintDiff)
{
    EXPECT_EQ(stdoutOf([] { p10(940, 512, 509).print("P "); }), "P Y:  940 Cb:    0( 512) Cr:   -3( 509)\n");
    EXPECT_EQ(stdoutOf([] { Pixel(3760, 2048, 2000).print(""); }), "Y: 3760 Cb:    0(2048) Cr:  -48(2000)\n");
    EXPECT_EQ(stdoutOf([] { p10(1, 2, 3, Colour_RGB).print("x"); }), "xR:    3 G:    1 B:    2\n");
    bool differed = false;
    EXPECT_EQ(stdoutOf([&] { differed = p10(940, 512, 512).printDiff("", p10(938, 512, 515)); }),
              "Y  940   +2\tCr  512   -3\t\n");
    EXPECT_TRUE(differed);
    Pixel other(940, 512, 512, Colour_RGB, 12, true);  // alpha, depth, axes, range take no part
    other.alpha = 0;
    EXPECT_EQ(stdoutOf([&] { differed = p10(940, 512, 512).printDiff("label", other); }), "");
    EXPECT_FALSE(differed);
}
