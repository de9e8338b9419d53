#include "tools/Pixel.h"

#include <gtest/gtest.h>

#include <string>

using PatternGen::colorAxes_e;

namespace {

void expectSamples(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cb, cb);
    EXPECT_EQ(p.cr, cr);
}

Pixel p10(int y, int cb, int cr, colorAxes_e axes = PatternGen::Colour_YCbCr_709, bool fullRange = false)
{
    return Pixel(y, cb, cr, axes, 10, fullRange);
}

template <typename Print>
std::string printed(Print print)
{
    testing::internal::CaptureStdout();
    print();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Pixel, ConstructorsAndAddition)
{
    const Pixel black;
    expectSamples(black, 256, 2048, 2048);
    EXPECT_EQ(black.alpha, 4095);
    EXPECT_EQ(black.whiteLevel, 3760);
    EXPECT_EQ(p10(940, 512, 512).alpha, 1023);
    expectSamples(Pixel(70000, -1, 3), 70000 - 65536, 65535, 3);  // low 16 bits kept
    // About black and mid, with this pixel's levels only; nothing clipped.
    expectSamples(Pixel(1000, 2100, 2000) + p10(500, 600, 512), 1244, 652, 464);
    Pixel rgb(1000, 1000, 1000, PatternGen::Colour_RGB_219);
    rgb += Pixel(300, 400, 500, PatternGen::Colour_RGB_219);
    expectSamples(rgb, 1044, 1144, 1244);
    EXPECT_EQ((Pixel(100, 2048, 2048) + Pixel(100, 2048, 2048)).y, 65536 - 56);
}

TEST(Pixel, Scaling)
{
    // Half added before a truncating division: up for positive offsets, toward mid for negative.
    expectSamples(Pixel(3760, 3840, 256).scale(75, 100), 2884, 3392, 705);
    expectSamples(Pixel(4095, 4095, 1, PatternGen::Colour_RGB).scale(50, 100), 2048, 2048, 1);
    // scale(double) truncates: 256 + 3504 x 0.3 = 1307.2, 2048 - 1792 x 0.3 = 1510.4.
    expectSamples(Pixel(3760, 3840, 256).scale(0.3), 1307, 2585, 1510);
    EXPECT_EQ(Pixel(0, 2048, 2048).scale(2.0).y, 0);  // negative gives 0
    expectSamples(Pixel(3760, 3840, 256).scaleLumChrom(0.5, 0.0), 2008, 2048, 2048);
    expectSamples(Pixel(4095, 4095, 4095, PatternGen::Colour_RGB).scaleLumChrom(0.5, 0.0), 2047, 2047, 2047);
    expectSamples(Pixel(3760, 3840, 256).scaleWithClip(120, 100), 4079, 4079, 16);
    expectSamples(Pixel(4095, 0, 2000, PatternGen::Colour_RGB).scaleWithClip(120, 100), 4095, 0, 2400);
    // In linear light, truncated: 256 + 3504 x 0.25^0.45 = 2133.75; chroma keeps the integer rule.
    expectSamples(Pixel(3760, 3840, 2048).scaleWithGamma(25, 100), 2133, 2496, 2048);
    // 4095 x 0.5^0.45 = 2997.72.
    expectSamples(Pixel(4095, 4095, 0, PatternGen::Colour_RGB).scaleWithGamma(50, 100), 2997, 2997, 0);
}

TEST(Pixel, TruncateAndRoundChangeOnlyTheDepth)
{
    const Pixel truncated = Pixel().truncateTo(10);
    expectSamples(truncated, 64, 512, 512);
    EXPECT_EQ(truncated.alpha, 1023);
    EXPECT_EQ(truncated.blackLevel, 256);
    const Pixel rounded = Pixel(3761, 2050, 2045).roundTo(10);
    expectSamples(rounded, 940, 513, 511);
    EXPECT_EQ(rounded.bitDepth, 10);
    EXPECT_EQ(rounded.whiteLevel, 3760);
    const Pixel widened = Pixel(3761, 2050, 2045).roundTo(14);
    expectSamples(widened, 3761 * 4, 2050 * 4, 2045 * 4);
    EXPECT_EQ(widened.alpha, 4095 * 4);
    EXPECT_EQ(Pixel(0, 2046, 2046).roundTo(10).cb, 511);  // chroma rule only for colour difference
    EXPECT_EQ(Pixel(0, 2046, 2046, PatternGen::Colour_RGB).roundTo(10).cb, 512);
    // In-range samples near the top are held at the largest code; out-of-range ones reduce as they are.
    const Pixel top = Pixel(4095, 4095, 4094, PatternGen::Colour_RGB).roundTo(10);
    expectSamples(top, 1023, 1023, 1023);
    EXPECT_EQ(top.alpha, 1023);
    EXPECT_EQ(Pixel(3760, 2048, 2048).scale(150, 100).roundTo(10).y, 1378);  // 5512 / 4
}

TEST(Pixel, ReferenceLevelsOfEachAxesFamily)
{
    for (int a = 0; a <= 21; ++a) {
        const Pixel p = p10(500, 300, 700, static_cast<colorAxes_e>(a));
        SCOPED_TRACE(a);
        const bool ycc = a >= 2 && a <= 12;
        const bool rgbHdr = a >= 13 && a <= 20;
        if (a == 1) expectSamples(p.subBlack(), 4, 4, 4);
        else if (ycc) expectSamples(p.subBlack(), 4, 512, 512);
        else expectSamples(p.subBlack(), 500, 300, 700);
        if (a == 1 || rgbHdr) expectSamples(p.superWhite(), 1019, 1019, 1019);
        else if (ycc) expectSamples(p.superWhite(), 1019, 512, 512);
        else expectSamples(p.superWhite(), 500, 300, 700);
        EXPECT_EQ(p.noAlpha().alpha, a == 1 || ycc ? 64 : a == 21 ? 1023 : 4);
    }
    const Pixel full = p10(500, 300, 700, PatternGen::Colour_RGB_219, true);
    expectSamples(full.subBlack(), 0, 0, 0);
    expectSamples(full.superWhite(), 1023, 1023, 1023);
    EXPECT_EQ(full.noAlpha().alpha, 0);
    expectSamples(p10(1023, 0, 1020).legalise(), 1019, 4, 1019);
    expectSamples(p10(1023, 0, 500, PatternGen::Colour_RGB).legalise(), 1019, 4, 500);
    expectSamples(p10(1023, 0, 1020, PatternGen::Colour_YCbCr_709, true).legalise(), 1023, 0, 1020);
}

TEST(Pixel, BlendMixesNormalisedValuesAndTruncates)
{
    const Pixel b = p10(64, 960, 64);
    // 64 + 0.25 x 876 = 283; 512 + 0.25 x 448 = 624; 512 - 0.25 x 448 = 400.
    expectSamples(p10(940, 512, 512).blend(0.25, 0.75, b), 283, 624, 400);
    expectSamples(p10(940, 300, 700).blend(1.0, 0.0, b), 940, 960, 64);
    // Full range: chroma over 1019 steps: 512 + 0.9 x 501 = 962.9, 512 - 0.9 x 507 = 55.7.
    const Pixel fullMid = p10(0, 512, 512, PatternGen::Colour_YCbCr_709, true);
    expectSamples(p10(1020, 1013, 5, PatternGen::Colour_YCbCr_709, true).blend(0.5, 0.9, fullMid), 510, 962, 55);
    // R'G'B' mixes codes with the luma weight only: 701 x 0.75 + 300 x 0.25 = 600.75.
    const Pixel a219 = p10(100, 200, 300, PatternGen::Colour_RGB_219);
    expectSamples(a219.blend(0.25, 0.9, p10(500, 600, 701, PatternGen::Colour_RGB_219)), 400, 500, 600);
}

TEST(Pixel, PrintAndPrintDiff)
{
    EXPECT_EQ(printed([] { p10(940, 512, 509).print("P "); }), "P Y:  940 Cb:    0( 512) Cr:   -3( 509)\n");
    EXPECT_EQ(printed([] { Pixel(3760, 2048, 2000).print(""); }), "Y: 3760 Cb:    0(2048) Cr:  -48(2000)\n");
    // Every depth but 12 shows chroma against 512, 8 bits included.
    EXPECT_EQ(printed([] { Pixel(235, 128, 128, PatternGen::Colour_YCbCr_709, 8).print(""); }),
              "Y:  235 Cb: -384( 128) Cr: -384( 128)\n");
    EXPECT_EQ(printed([] { p10(1, 2, 3, PatternGen::Colour_RGB).print("x"); }), "xR:    3 G:    1 B:    2\n");
    bool differed = false;
    EXPECT_EQ(printed([&] { differed = p10(940, 512, 512).printDiff("", p10(938, 512, 515)); }),
              "Y  940   +2\tCr  512   -3\t\n");
    EXPECT_TRUE(differed);
    EXPECT_EQ(printed([&] { p10(10, 20, 30, PatternGen::Colour_RGB).printDiff("  B ", p10(10, 25, 30)); }),
              "  B Cb   20   -5\t\n");
    Pixel other(940, 512, 512, PatternGen::Colour_RGB, 12, true);  // alpha, depth, axes, range take no part
    other.alpha = 0;
    EXPECT_EQ(printed([&] { differed = p10(940, 512, 512).printDiff("label", other); }), "");
    EXPECT_FALSE(differed);
}
