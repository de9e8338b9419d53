#include "tools/Pixel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using PatternGen::colorAxes_e;

namespace {

void expectSamples(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cb, cb);
    EXPECT_EQ(p.cr, cr);
}

std::string printed(const Pixel& p, const char* prefix)
{
    testing::internal::CaptureStdout();
    p.print(prefix);
    return testing::internal::GetCapturedStdout();
}

std::string printedDiff(const Pixel& p, const char* prefix, const Pixel& reference, bool& differed)
{
    testing::internal::CaptureStdout();
    differed = p.printDiff(prefix, reference);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

// ---- construction ----

TEST(PixelConstruct, DefaultIs12BitRec709Black)
{
    const Pixel p;
    expectSamples(p, 256, 2048, 2048);
    EXPECT_EQ(p.alpha, 4095);
    EXPECT_EQ(p.axis, PatternGen::Colour_YCbCr_709);
    EXPECT_EQ(p.bitDepth, 12);
    EXPECT_FALSE(p.fullRange);
    EXPECT_EQ(p.blackLevel, 256);
    EXPECT_EQ(p.whiteLevel, 3760);
    EXPECT_EQ(p.gammaType, 1);
}

TEST(PixelConstruct, ArgumentsInLumaCbCrOrder)
{
    const Pixel p(940, 510, 514, PatternGen::Colour_YCbCr_709, 10);
    expectSamples(p, 940, 510, 514);
    EXPECT_EQ(p.alpha, 1023);
    EXPECT_EQ(p.blackLevel, 64);
    EXPECT_EQ(p.whiteLevel, 940);
}

TEST(PixelConstruct, ShorterFormsDefaultTo12BitStudio709)
{
    const Pixel three(1, 2, 3);
    EXPECT_EQ(three.axis, PatternGen::Colour_YCbCr_709);
    EXPECT_EQ(three.bitDepth, 12);
    const Pixel four(1, 2, 3, PatternGen::Colour_RGB_219);
    EXPECT_EQ(four.axis, PatternGen::Colour_RGB_219);
    EXPECT_EQ(four.bitDepth, 12);
    EXPECT_FALSE(four.fullRange);
    EXPECT_EQ(four.alpha, 4095);
}

TEST(PixelConstruct, FullRangeAndAlphaFollowTheDepth)
{
    const Pixel p(255, 128, 128, PatternGen::Colour_YCbCr_601, 8, true);
    EXPECT_TRUE(p.fullRange);
    EXPECT_EQ(p.blackLevel, 0);
    EXPECT_EQ(p.whiteLevel, 255);
    EXPECT_EQ(p.alpha, 255);
    EXPECT_EQ(Pixel(0, 0, 0, PatternGen::Colour_RGB, 16).alpha, 65535);
}

TEST(PixelConstruct, SamplesKeepTheirLow16Bits)
{
    const Pixel p(70000, -1, 3);
    expectSamples(p, 70000 - 65536, 65535, 3);
}

// ---- addition ----

TEST(PixelAdd, ChromaAddsAboutMidAndLumaAboutBlack)
{
    const Pixel sum = Pixel(1000, 2100, 2000) + Pixel(500, 2148, 1948);
    expectSamples(sum, 1244, 2200, 1900);
}

TEST(PixelAdd, RgbAddsEveryComponentAboutBlack)
{
    const Pixel a(1000, 1000, 1000, PatternGen::Colour_RGB_219);
    const Pixel b(300, 400, 500, PatternGen::Colour_RGB_219);
    expectSamples(a + b, 1044, 1144, 1244);
}

TEST(PixelAdd, UsesOnlyThisPixelsLevelsAndKeepsItsAlpha)
{
    Pixel a(1000, 2048, 2048);
    a.alpha = 7;
    const Pixel b(100, 600, 512, PatternGen::Colour_YCbCr_709, 10);
    const Pixel sum = a + b;
    expectSamples(sum, 844, 600, 512);
    EXPECT_EQ(sum.alpha, 7);
    EXPECT_EQ(sum.bitDepth, 12);
}

TEST(PixelAdd, InPlaceMatchesTheOperator)
{
    Pixel a(1000, 2100, 2000);
    const Pixel b(500, 2148, 1948);
    const Pixel expected = a + b;
    a += b;
    expectSamples(a, expected.y, expected.cb, expected.cr);
}

TEST(PixelAdd, ResultsAreNotClipped)
{
    const Pixel sum = Pixel(100, 2048, 2048) + Pixel(100, 2048, 2048);
    EXPECT_EQ(sum.y, 65536 - 56);
}

// ---- scaling ----

TEST(PixelScale, IntegerScaleOfWhite)
{
    expectSamples(Pixel(3760, 2048, 2048).scale(75, 100), 2884, 2048, 2048);
}

TEST(PixelScale, IntegerScaleRoundsPositiveUpAndNegativeTowardMid)
{
    const Pixel p = Pixel(3760, 3840, 256).scale(75, 100);
    EXPECT_EQ(p.cb, 3392);
    EXPECT_EQ(p.cr, 705);
}

TEST(PixelScale, IntegerScaleOfRgbIsAboutBlack)
{
    expectSamples(Pixel(4095, 4095, 1, PatternGen::Colour_RGB).scale(50, 100), 2048, 2048, 1);
}

TEST(PixelScale, DoubleScaleTruncates)
{
    expectSamples(Pixel(3760, 3840, 256).scale(0.5), 2008, 2944, 1152);
    expectSamples(Pixel(3760, 3840, 256).scale(0.3), 1307, 2585, 1510);
}

TEST(PixelScale, DoubleScaleBelowZeroGivesZero)
{
    EXPECT_EQ(Pixel(0, 2048, 2048).scale(2.0).y, 0);
}

TEST(PixelScale, LumaAndChromaFactorsSeparateOnlyForColourDifference)
{
    expectSamples(Pixel(3760, 3840, 256).scaleLumChrom(0.5, 0.0), 2008, 2048, 2048);
    expectSamples(Pixel(4095, 4095, 4095, PatternGen::Colour_RGB).scaleLumChrom(0.5, 0.0), 2047, 2047, 2047);
}

TEST(PixelScale, ClipStopsAtTheLegalLimits)
{
    const Pixel p(3760, 3840, 256);
    expectSamples(p.scale(120, 100), 4461, 4198, 65536 - 101);
    expectSamples(p.scaleWithClip(120, 100), 4079, 4079, 16);
}

TEST(PixelScale, ClipOfFullRangeRgbUsesEveryCode)
{
    expectSamples(Pixel(4095, 0, 2000, PatternGen::Colour_RGB).scaleWithClip(120, 100), 4095, 0, 2400);
}

TEST(PixelScale, GammaScaleWorksInLinearLight)
{
    const Pixel p = Pixel(3760, 3840, 2048).scaleWithGamma(50, 100);
    EXPECT_EQ(p.y, 2821);  // 256 + 3504 x 0.5^0.45
    EXPECT_EQ(p.cb, 2944);  // chroma keeps the integer rule
    EXPECT_EQ(p.cr, 2048);
}

TEST(PixelScale, GammaScaleOfRgbScalesEveryComponent)
{
    const Pixel p = Pixel(4095, 4095, 0, PatternGen::Colour_RGB).scaleWithGamma(50, 100);
    const int expected = static_cast<int>(4095 * std::pow(0.5, 0.45));
    expectSamples(p, expected, expected, 0);
}

// ---- depth changes ----

TEST(PixelDepth, TruncateChangesOnlyTheDepth)
{
    const Pixel p = Pixel().truncateTo(10);
    expectSamples(p, 64, 512, 512);
    EXPECT_EQ(p.alpha, 1023);
    EXPECT_EQ(p.bitDepth, 10);
    EXPECT_EQ(p.blackLevel, 256);
    EXPECT_EQ(p.whiteLevel, 3760);
}

TEST(PixelDepth, TruncateWidensByShiftingLeft)
{
    const Pixel p = Pixel(3761, 2050, 2045).truncateTo(14);
    expectSamples(p, 3761 * 4, 2050 * 4, 2045 * 4);
    EXPECT_EQ(p.alpha, 4095 * 4);
}

TEST(PixelDepth, TruncateToTheSameDepthKeepsEverything)
{
    expectSamples(Pixel(3761, 2050, 2045).truncateTo(12), 3761, 2050, 2045);
}

TEST(PixelDepth, RoundUsesChromaRulesForColourDifference)
{
    const Pixel p = Pixel(3761, 2050, 2045).roundTo(10);
    expectSamples(p, 940, 513, 511);
    EXPECT_EQ(p.bitDepth, 10);
    EXPECT_EQ(p.blackLevel, 256);
    EXPECT_EQ(p.alpha, 1023);
}

TEST(PixelDepth, RoundUsesPlainRoundingForRgb)
{
    EXPECT_EQ(Pixel(0, 2046, 2046).roundTo(10).cb, 511);
    EXPECT_EQ(Pixel(0, 2046, 2046, PatternGen::Colour_RGB).roundTo(10).cb, 512);
}

TEST(PixelDepth, RoundToMoreBitsIsTruncate)
{
    const Pixel p(3761, 2050, 2045);
    const Pixel rounded = p.roundTo(14);
    const Pixel truncated = p.truncateTo(14);
    expectSamples(rounded, truncated.y, truncated.cb, truncated.cr);
    EXPECT_EQ(rounded.alpha, truncated.alpha);
}

TEST(PixelDepth, RoundingNearTheTopStaysOnTheLargestCode)
{
    const Pixel p = Pixel(4095, 4095, 4094, PatternGen::Colour_RGB).roundTo(10);
    expectSamples(p, 1023, 1023, 1023);
    EXPECT_EQ(p.alpha, 1023);
    EXPECT_EQ(Pixel(4095, 4095, 4095, PatternGen::Colour_YCbCr_709, 12, true).roundTo(10).cb, 1023);
    const Pixel wide = Pixel(65535, 65535, 65535, PatternGen::Colour_RGB, 16).roundTo(8);
    expectSamples(wide, 255, 255, 255);
}

// ---- reference levels ----

TEST(PixelLevels, SubBlackAndSuperWhiteOfStudioYCbCr)
{
    const Pixel p(500, 300, 700, PatternGen::Colour_YCbCr_709, 10);
    expectSamples(p.subBlack(), 4, 512, 512);
    expectSamples(p.superWhite(), 1019, 512, 512);
    EXPECT_EQ(p.superWhite().alpha, 1023);
}

TEST(PixelLevels, SubBlackAndSuperWhiteOfFullRange)
{
    const Pixel p(500, 300, 700, PatternGen::Colour_YCbCr_SLog3, 10, true);
    expectSamples(p.subBlack(), 0, 512, 512);
    expectSamples(p.superWhite(), 1023, 512, 512);
    const Pixel rgb(500, 300, 700, PatternGen::Colour_RGB_219, 10, true);
    expectSamples(rgb.subBlack(), 0, 0, 0);
    expectSamples(rgb.superWhite(), 1023, 1023, 1023);
}

TEST(PixelLevels, EachAxesFamilyHasItsOwnReferenceLevels)
{
    for (int a = 0; a <= PatternGen::Colour_Axes_Count; ++a) {
        const colorAxes_e axes = static_cast<colorAxes_e>(a);
        const Pixel p(500, 300, 700, axes, 10);
        const Pixel black = p.subBlack();
        const Pixel white = p.superWhite();
        const Pixel keyOff = p.noAlpha();
        SCOPED_TRACE(axisToString(axes));
        if (a == PatternGen::Colour_RGB_219) {
            expectSamples(black, 4, 4, 4);
            expectSamples(white, 1019, 1019, 1019);
            EXPECT_EQ(keyOff.alpha, 64);
        } else if (p.isColourDifference()) {
            expectSamples(black, 4, 512, 512);
            expectSamples(white, 1019, 512, 512);
            EXPECT_EQ(keyOff.alpha, 64);
        } else if (a == PatternGen::Colour_RGB) {
            expectSamples(black, 500, 300, 700);
            expectSamples(white, 500, 300, 700);
            EXPECT_EQ(keyOff.alpha, 4);
        } else if (a < PatternGen::Colour_Axes_Count) {  // R'G'B' HDR
            expectSamples(black, 500, 300, 700);
            expectSamples(white, 1019, 1019, 1019);
            EXPECT_EQ(keyOff.alpha, 4);
        } else {
            expectSamples(black, 500, 300, 700);
            expectSamples(white, 500, 300, 700);
            EXPECT_EQ(keyOff.alpha, 1023);
        }
        expectSamples(keyOff, 500, 300, 700);
    }
}

TEST(PixelLevels, NoAlphaIsZeroInFullRange)
{
    EXPECT_EQ(Pixel(0, 0, 0, PatternGen::Colour_RGB, 12, true).noAlpha().alpha, 0);
    EXPECT_EQ(Pixel(0, 0, 0, PatternGen::Colour_YCbCr_709, 12, true).noAlpha().alpha, 0);
    EXPECT_EQ(Pixel().noAlpha().alpha, 256);
}

TEST(PixelLevels, LegaliseClipsEveryAxesToTheRange)
{
    const Pixel yc = Pixel(1023, 0, 1020, PatternGen::Colour_YCbCr_709, 10).legalise();
    expectSamples(yc, 1019, 4, 1019);
    EXPECT_EQ(yc.alpha, 1023);
    expectSamples(Pixel(1023, 0, 500, PatternGen::Colour_RGB, 10).legalise(), 1019, 4, 500);
    expectSamples(Pixel(1023, 0, 1020, PatternGen::Colour_YCbCr_709, 10, true).legalise(), 1023, 0, 1020);
    expectSamples(Pixel(5000, 4096, 1, PatternGen::Colour_YCbCr_709, 12, true).legalise(), 4095, 4095, 1);
}

// ---- blending ----

TEST(PixelBlend, ColourDifferenceMixesNormalisedValues)
{
    const Pixel a(940, 512, 512, PatternGen::Colour_YCbCr_709, 10);
    const Pixel b(64, 960, 64, PatternGen::Colour_YCbCr_709, 10);
    expectSamples(a.blend(0.25, 0.75, b), 283, 624, 400);
}

TEST(PixelBlend, FullWeightTakesLumaFromThisAndChromaFromOther)
{
    const Pixel a(940, 300, 700, PatternGen::Colour_YCbCr_709, 10);
    const Pixel b(64, 960, 64, PatternGen::Colour_YCbCr_709, 10);
    expectSamples(a.blend(1.0, 0.0, b), 940, 960, 64);
}

TEST(PixelBlend, FullRangeUsesFullScales)
{
    const Pixel a(1020, 1019, 5, PatternGen::Colour_YCbCr_709, 10, true);
    const Pixel b(0, 512, 512, PatternGen::Colour_YCbCr_709, 10, true);
    expectSamples(a.blend(0.5, 0.5, b), 510, 765, 258);
}

TEST(PixelBlend, RgbMixesCodesWithTheLumaWeightOnly)
{
    const Pixel a(100, 200, 300, PatternGen::Colour_RGB_219, 10);
    const Pixel b(500, 600, 701, PatternGen::Colour_RGB_219, 10);
    const Pixel mixed = a.blend(0.25, 0.9, b);
    expectSamples(mixed, 400, 500, 600);
    EXPECT_EQ(mixed.alpha, a.alpha);
}

// ---- printing ----

TEST(PixelPrint, ColourDifferenceShowsOffsetsFromMid)
{
    EXPECT_EQ(printed(Pixel(940, 512, 509, PatternGen::Colour_YCbCr_709, 10), "P "),
              "P Y:  940 Cb:    0( 512) Cr:   -3( 509)\n");
    EXPECT_EQ(printed(Pixel(3760, 2048, 2000), ""), "Y: 3760 Cb:    0(2048) Cr:  -48(2000)\n");
}

TEST(PixelPrint, EightBitChromaIsShownAgainstTheTenBitMid)
{
    EXPECT_EQ(printed(Pixel(235, 128, 128, PatternGen::Colour_YCbCr_709, 8), ""),
              "Y:  235 Cb: -384( 128) Cr: -384( 128)\n");
}

TEST(PixelPrint, RgbShowsRedGreenBlue)
{
    EXPECT_EQ(printed(Pixel(1, 2, 3, PatternGen::Colour_RGB, 10), "x"), "xR:    3 G:    1 B:    2\n");
}

TEST(PixelPrintDiff, PrintsOnlyTheDifferingComponents)
{
    bool differed = false;
    const Pixel p(940, 512, 512, PatternGen::Colour_YCbCr_709, 10);
    const Pixel ref(938, 512, 515, PatternGen::Colour_YCbCr_709, 10);
    EXPECT_EQ(printedDiff(p, "", ref, differed), "Y  940   +2\tCr  512   -3\t\n");
    EXPECT_TRUE(differed);
}

TEST(PixelPrintDiff, LabelsAreYCbCrWhateverTheAxes)
{
    bool differed = false;
    const Pixel p(10, 20, 30, PatternGen::Colour_RGB);
    const Pixel ref(10, 25, 30, PatternGen::Colour_RGB);
    EXPECT_EQ(printedDiff(p, "  Blue ", ref, differed), "  Blue Cb   20   -5\t\n");
    EXPECT_TRUE(differed);
}

TEST(PixelPrintDiff, EqualCodeValuesPrintNothing)
{
    bool differed = true;
    const Pixel p(940, 512, 512, PatternGen::Colour_YCbCr_709, 10);
    EXPECT_EQ(printedDiff(p, "label", p, differed), "");
    EXPECT_FALSE(differed);

    Pixel other(940, 512, 512, PatternGen::Colour_RGB, 12, true);
    other.alpha = 0;
    differed = true;
    EXPECT_EQ(printedDiff(p, "label", other, differed), "");
    EXPECT_FALSE(differed);
}
