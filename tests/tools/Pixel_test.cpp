#include "tools/Pixel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

using namespace PatternGen;

namespace {

void expectSamples(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(std::make_tuple(p.y, p.cb, p.cr), std::make_tuple(y, cb, cr));
}

Pixel p10(int y, int cb, int cr, colorAxes_e axes = Colour_YCbCr_709, bool fullRange = false)
{
    return Pixel(y, cb, cr, axes, 10, fullRange);
}

std::string printed(const std::function<void()>& print)
{
    testing::internal::CaptureStdout();
    print();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Pixel, DefaultAndAddition)
{
    expectSamples(Pixel(), 256, 2048, 2048);  // 12-bit 709 black
    expectSamples(Pixel(70000, -1, 3), 70000 - 65536, 65535, 3);  // low 16 bits kept
    // About black and mid, with this pixel's levels only; nothing clipped.
    expectSamples(Pixel(1000, 2100, 2000) + p10(500, 600, 512), 1244, 652, 464);
}

TEST(Pixel, Scaling)
{
    // Half added before a truncating division: up for positive offsets, toward mid for negative.
    expectSamples(Pixel(3760, 3840, 256).scale(75, 100), 2884, 3392, 705);
    // scale(double) truncates: 256 + 3504 x 0.3 = 1307.2, 2048 - 1792 x 0.3 = 1510.4.
    expectSamples(Pixel(3760, 3840, 256).scale(0.3), 1307, 2585, 1510);
    EXPECT_EQ(Pixel(0, 2048, 2048).scale(2.0).y, 0);  // negative gives 0
    expectSamples(Pixel(3760, 3840, 256).scaleLumChrom(0.5, 0.0), 2008, 2048, 2048);
    expectSamples(Pixel(3760, 3840, 256).scaleWithClip(120, 100), 4079, 4079, 16);
    expectSamples(Pixel(4095, 0, 2000, Colour_RGB).scaleWithClip(120, 100), 4095, 0, 2400);
    // In linear light, truncated: 256 + 3504 x 0.25^0.45 = 2133.75; chroma keeps the integer rule.
    expectSamples(Pixel(3760, 3840, 2048).scaleWithGamma(25, 100), 2133, 2496, 2048);
}

TEST(Pixel, TruncateAndRoundChangeOnlyTheDepth)
{
    expectSamples(Pixel().truncateTo(10), 64, 512, 512);
    const Pixel rounded = Pixel(3761, 2050, 2045).roundTo(10);
    expectSamples(rounded, 940, 513, 511);
    EXPECT_EQ(std::make_tuple(rounded.bitDepth, rounded.alpha, rounded.whiteLevel), std::make_tuple(10, 1023, 3760));
    EXPECT_EQ(Pixel(0, 2046, 2046).roundTo(10).cb, 511);  // chroma rule only for colour difference
    EXPECT_EQ(Pixel(0, 2046, 2046, Colour_RGB).roundTo(10).cb, 512);
    // In-range samples near the top are held at the largest code; out-of-range ones reduce as they are.
    expectSamples(Pixel(4095, 4095, 4094, Colour_RGB).roundTo(10), 1023, 1023, 1023);
    EXPECT_EQ(Pixel(3760, 2048, 2048).scale(150, 100).roundTo(10).y, 1378);  // 5512 / 4
}

TEST(Pixel, ReferenceLevelsOfEachAxesFamily)
{
    // axes; subBlack, superWhite and noAlpha of the 10-bit studio-range pixel (500, 300, 700)
    const int rows[][8] = {{0, 500, 300, 700, 500, 300, 700, 4},     {1, 4, 4, 4, 1019, 1019, 1019, 64},
                           {2, 4, 512, 512, 1019, 512, 512, 64},     {12, 4, 512, 512, 1019, 512, 512, 64},
                           {13, 500, 300, 700, 1019, 1019, 1019, 4}, {20, 500, 300, 700, 1019, 1019, 1019, 4},
                           {21, 500, 300, 700, 500, 300, 700, 1023}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0]);
        const Pixel p = p10(500, 300, 700, static_cast<colorAxes_e>(r[0]));
        expectSamples(p.subBlack(), r[1], r[2], r[3]);
        expectSamples(p.superWhite(), r[4], r[5], r[6]);
        EXPECT_EQ(p.noAlpha().alpha, r[7]);
    }
    expectSamples(p10(1023, 0, 1020).legalise(), 1019, 4, 1019);
    expectSamples(p10(1023, 0, 1020, Colour_YCbCr_709, true).legalise(), 1023, 0, 1020);
}

TEST(Pixel, BlendMixesNormalisedValuesAndTruncates)
{
    // 64 + 0.25 x 876 = 283; 512 + 0.25 x 448 = 624; 512 - 0.25 x 448 = 400.
    expectSamples(p10(940, 512, 512).blend(0.25, 0.75, p10(64, 960, 64)), 283, 624, 400);
    // Full range: chroma over 1019 steps: 512 + 0.9 x 501 = 962.9, 512 - 0.9 x 507 = 55.7.
    const Pixel fullMid = p10(0, 512, 512, Colour_YCbCr_709, true);
    expectSamples(p10(1020, 1013, 5, Colour_YCbCr_709, true).blend(0.5, 0.9, fullMid), 510, 962, 55);
    // R'G'B' mixes codes with the luma weight only: 701 x 0.75 + 300 x 0.25 = 600.75.
    const Pixel rgb = p10(100, 200, 300, Colour_RGB_219);
    expectSamples(rgb.blend(0.25, 0.9, p10(500, 600, 701, Colour_RGB_219)), 400, 500, 600);
}

TEST(Pixel, PrintAndPrintDiff)
{
    EXPECT_EQ(printed([] { p10(940, 512, 509).print("P "); }), "P Y:  940 Cb:    0( 512) Cr:   -3( 509)\n");
    EXPECT_EQ(printed([] { Pixel(3760, 2048, 2000).print(""); }), "Y: 3760 Cb:    0(2048) Cr:  -48(2000)\n");
    EXPECT_EQ(printed([] { p10(1, 2, 3, Colour_RGB).print("x"); }), "xR:    3 G:    1 B:    2\n");
    bool differed = false;
    EXPECT_EQ(printed([&] { differed = p10(940, 512, 512).printDiff("", p10(938, 512, 515)); }),
              "Y  940   +2\tCr  512   -3\t\n");
    EXPECT_TRUE(differed);
    Pixel other(940, 512, 512, Colour_RGB, 12, true);  // alpha, depth, axes, range take no part
    other.alpha = 0;
    EXPECT_EQ(printed([&] { differed = p10(940, 512, 512).printDiff("label", other); }), "");
    EXPECT_FALSE(differed);
}
