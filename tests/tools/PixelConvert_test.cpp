#include "tools/Pixel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using PatternGen::colorAxes_e;

namespace {

void expectSamples(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cb, cb);
    EXPECT_EQ(p.cr, cr);
}

// A pixel on the given axes whose samples will be overwritten by an assignment.
Pixel blank(colorAxes_e axes, int bits, bool fullRange = false)
{
    return Pixel(0, 0, 0, axes, bits, fullRange);
}

const Pixel kWhite709(3760, 2048, 2048);
const Pixel kYellow709(3507, 256, 2212);

}  // namespace

// ---- quantising R'G'B' into each SDR space ----

TEST(PixelAssign, YellowInto709AtEachDepth)
{
    Pixel p12 = blank(PatternGen::Colour_YCbCr_709, 12);
    p12.assignYCbCr709Values(1.0, 1.0, 0.0);
    expectSamples(p12, 3507, 256, 2212);

    Pixel p75 = blank(PatternGen::Colour_YCbCr_709, 12);
    p75.assignYCbCr709Values(0.75, 0.75, 0.0);
    expectSamples(p75, 2694, 704, 2171);

    Pixel p10 = blank(PatternGen::Colour_YCbCr_709, 10);
    p10.assignYCbCr709Values(1.0, 1.0, 0.0);
    expectSamples(p10, 877, 64, 553);
}

TEST(PixelAssign, Rec601ChromaIsNotQuiteNeutral)
{
    Pixel white12 = blank(PatternGen::Colour_YCbCr_601, 12);
    white12.assignYCbCr601Values(1.0, 1.0, 1.0);
    expectSamples(white12, 3760, 2047, 2044);

    Pixel grey12 = blank(PatternGen::Colour_YCbCr_601, 12);
    grey12.assignYCbCr601Values(0.75, 0.75, 0.75);
    expectSamples(grey12, 2884, 2047, 2045);

    Pixel white10 = blank(PatternGen::Colour_YCbCr_601, 10);
    white10.assignYCbCr601Values(1.0, 1.0, 1.0);
    expectSamples(white10, 940, 512, 511);

    Pixel white8 = blank(PatternGen::Colour_YCbCr_601, 8);
    white8.assignYCbCr601Values(1.0, 1.0, 1.0);
    expectSamples(white8, 235, 128, 128);
}

TEST(PixelAssign, YellowInto2020)
{
    Pixel p = blank(PatternGen::Colour_YCbCr_2020, 10);
    p.assignYCbCr2020Values(1.0, 1.0, 0.0);
    expectSamples(p, 888, 64, 548);
}

TEST(PixelAssign, FullRangeUses255StepsForLumaAndOneLessForChroma)
{
    Pixel white = blank(PatternGen::Colour_YCbCr_709, 10, true);
    white.assignYCbCr709Values(1.0, 1.0, 1.0);
    expectSamples(white, 1020, 512, 512);

    Pixel blue = blank(PatternGen::Colour_YCbCr_709, 10, true);
    blue.assignYCbCr709Values(0.0, 0.0, 1.0);
    EXPECT_EQ(blue.cb, 512 + static_cast<int>(std::round(1019 * 0.5)));  // 1022: within the full range
    EXPECT_EQ(blue.y, static_cast<int>(std::round(1020 * 0.0722)));
}

TEST(PixelAssign, YCbCrIsClippedToTheLegalRange)
{
    Pixel p = blank(PatternGen::Colour_YCbCr_709, 10);
    p.assignYCbCr709Values(1.2, 1.2, 1.2);
    EXPECT_EQ(p.y, 1019);
    p.assignYCbCr709Values(-0.5, -0.5, 2.0);
    EXPECT_EQ(p.y, 4);
    EXPECT_EQ(p.cb, 1019);
}

TEST(PixelAssign, YCbCrSetsRangeLevelsButKeepsGammaType)
{
    Pixel p = blank(PatternGen::Colour_YCbCr_SLog3, 10);
    p.assignYCbCr2020Values(0.5, 0.5, 0.5);
    EXPECT_EQ(p.blackLevel, 64);
    EXPECT_EQ(p.whiteLevel, 940);
    EXPECT_EQ(p.gammaType, 2);
    EXPECT_EQ(p.axis, PatternGen::Colour_YCbCr_SLog3);
}

TEST(PixelAssign, FullRangeRgbClampsToUnitRange)
{
    Pixel p = blank(PatternGen::Colour_RGB, 10);
    p.assignRGBValues(1.2, -0.1, 0.5);
    EXPECT_EQ(p.cr, 1023);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.cb, 512);
    EXPECT_EQ(p.blackLevel, 0);
    EXPECT_EQ(p.whiteLevel, 1023);
}

TEST(PixelAssign, FullRangeRgbTakesNotANumberAsWhite)
{
    Pixel p = blank(PatternGen::Colour_RGB, 12);
    p.assignRGBValues(std::numeric_limits<double>::quiet_NaN(), 0.0, 1.0);
    expectSamples(p, 0, 4095, 4095);
}

TEST(PixelAssign, StudioRgbKeepsExcursionsUpToTheLegalLimits)
{
    Pixel p = blank(PatternGen::Colour_RGB_219, 10);
    p.assignRGB219Values(1.1, 1.05, -0.1);
    EXPECT_EQ(p.cr, 1019);
    EXPECT_EQ(p.y, 64 + static_cast<int>(std::round(876 * 1.05)));
    EXPECT_EQ(p.cb, 4);
    EXPECT_EQ(p.blackLevel, 64);
    EXPECT_EQ(p.whiteLevel, 940);
}

TEST(PixelAssign, FullRangeStudioRgbUses255Steps)
{
    Pixel p = blank(PatternGen::Colour_RGB_219, 8, true);
    p.assignRGB219Values(1.0, 0.5, 0.0);
    expectSamples(p, 128, 0, 255);
    EXPECT_EQ(p.blackLevel, 0);
    EXPECT_EQ(p.whiteLevel, 255);
}

// ---- conversions between SDR spaces ----

TEST(PixelConvertSdr, WhiteYCbCrToFullRangeRgb)
{
    const Pixel p = kWhite709.convertTo(PatternGen::Colour_RGB);
    expectSamples(p, 4095, 4095, 4095);
    EXPECT_EQ(p.blackLevel, 0);
    EXPECT_EQ(p.whiteLevel, 4095);
    EXPECT_EQ(p.axis, PatternGen::Colour_RGB);
}

TEST(PixelConvertSdr, RgbYellowTo709)
{
    const Pixel p = Pixel(4095, 0, 4095, PatternGen::Colour_RGB).convertTo(PatternGen::Colour_YCbCr_709);
    expectSamples(p, 3507, 256, 2212);
    EXPECT_EQ(p.axis, PatternGen::Colour_YCbCr_709);
    EXPECT_EQ(p.bitDepth, 12);
    expectSamples(Pixel(1023, 0, 1023, PatternGen::Colour_RGB, 10).convertTo(PatternGen::Colour_YCbCr_709), 877, 64,
                  553);
}

TEST(PixelConvertSdr, RgbWhiteTo601)
{
    const Pixel p = Pixel(4095, 4095, 4095, PatternGen::Colour_RGB).convertTo(PatternGen::Colour_YCbCr_601);
    expectSamples(p, 3760, 2047, 2044);
    EXPECT_EQ(p.gammaType, 0);
}

TEST(PixelConvertSdr, RgbAndStudioRgbConvertIntoEachOther)
{
    const Pixel studio = Pixel(4095, 0, 4095, PatternGen::Colour_RGB).convertTo(PatternGen::Colour_RGB_219);
    expectSamples(studio, 3760, 256, 3760);
    const Pixel full = studio.convertTo(PatternGen::Colour_RGB);
    expectSamples(full, 4095, 0, 4095);
}

TEST(PixelConvertSdr, StudioRgbExcursionsClampInFullRangeRgb)
{
    expectSamples(Pixel(3900, 100, 3760, PatternGen::Colour_RGB_219).convertTo(PatternGen::Colour_RGB), 4095, 0, 4095);
}

TEST(PixelConvertSdr, YCbCrToStudioRgbAndBack)
{
    const Pixel red(1001, 1637, 3840);
    const Pixel studio = red.convertTo(PatternGen::Colour_RGB_219);
    EXPECT_EQ(studio.axis, PatternGen::Colour_RGB_219);
    expectSamples(studio, 256, 255, 3760);
    expectSamples(studio.convertTo(PatternGen::Colour_YCbCr_709), 1001, 1637, 3840);
}

TEST(PixelConvertSdr, SameAxesGiveAnUnchangedCopy)
{
    for (colorAxes_e axes : {PatternGen::Colour_RGB, PatternGen::Colour_RGB_219, PatternGen::Colour_YCbCr_601,
                             PatternGen::Colour_YCbCr_709, PatternGen::Colour_YCbCr_PQ, PatternGen::Colour_RGB_PQ_Mapped}) {
        Pixel p(701, 333, 612, axes, 10);
        p.alpha = 99;
        const Pixel q = p.convertTo(axes);
        SCOPED_TRACE(axisToString(axes));
        expectSamples(q, 701, 333, 612);
        EXPECT_EQ(q.alpha, 99);
        EXPECT_EQ(q.bitDepth, 10);
    }
}

TEST(PixelConvertSdr, UnknownAxesAreCopiedUnchanged)
{
    const colorAxes_e unknown = PatternGen::Colour_Axes_Count;
    const Pixel fromUnknown = Pixel(701, 333, 612, unknown, 10).convertTo(PatternGen::Colour_YCbCr_709);
    expectSamples(fromUnknown, 701, 333, 612);
    EXPECT_EQ(fromUnknown.axis, PatternGen::Colour_YCbCr_709);

    const Pixel toUnknown = kYellow709.convertTo(unknown);
    expectSamples(toUnknown, 3507, 256, 2212);
    EXPECT_EQ(toUnknown.axis, unknown);
}

TEST(PixelConvertSdr, HdrYCbCrShownAsFullRangeRgb)
{
    const Pixel p = Pixel(509, 512, 512, PatternGen::Colour_YCbCr_PQ, 10).convertTo(PatternGen::Colour_RGB);
    const int expected = static_cast<int>(std::round((509.0 - 64.0) / 876.0 * 1023));
    expectSamples(p, expected, expected, expected);
    EXPECT_EQ(p.bitDepth, 10);
}

// ---- Rec. 2020 ----

TEST(PixelConvert2020, AssignmentKeepsTheSourceColourSpace)
{
    const Pixel p = Pixel(1023, 0, 1023, PatternGen::Colour_RGB, 10).convertTo(PatternGen::Colour_YCbCr_2020);
    expectSamples(p, 888, 64, 548);
    EXPECT_EQ(p.axis, PatternGen::Colour_YCbCr_2020);
    EXPECT_EQ(p.gammaType, 1);  // the source's, not the Rec. 2020 curve
    EXPECT_EQ(p.blackLevel, 64);
    EXPECT_EQ(p.whiteLevel, 940);
    EXPECT_EQ(p.bitDepth, 10);

    const Pixel from709 = kWhite709.convertTo(PatternGen::Colour_YCbCr_2020);
    expectSamples(from709, 3760, 2048, 2048);
    EXPECT_EQ(from709.gammaType, 1);
}

TEST(PixelConvert2020, DirectAssignmentOnlyChangesTheAxes)
{
    const Pixel source(0, 0, 0, PatternGen::Colour_YCbCr_601, 10, true);
    const Pixel p = source.convertRGB709toYCbCr2020(1.0, 1.0, 0.0);
    EXPECT_EQ(p.axis, PatternGen::Colour_YCbCr_2020);
    EXPECT_EQ(p.gammaType, 0);
    EXPECT_TRUE(p.fullRange);
    EXPECT_EQ(p.y, static_cast<int>(std::round(1020 * ((0.678 * 1.0 + 0.2627 * 1.0) + 0.0593 * 0.0))));
}

TEST(PixelConvert2020, SameAxesAreWidenedTo12Bits)
{
    const Pixel p = Pixel(940, 500, 530, PatternGen::Colour_YCbCr_2020, 10).convertTo(PatternGen::Colour_YCbCr_2020);
    expectSamples(p, 3760, 2000, 2120);
    EXPECT_EQ(p.bitDepth, 12);
    EXPECT_EQ(p.alpha, 4095);
    EXPECT_EQ(p.whiteLevel, 3760);
}

TEST(PixelConvert2020, AlphaBelowMaximumIsShifted)
{
    Pixel p(940, 512, 512, PatternGen::Colour_YCbCr_2020, 10);
    p.alpha = 512;
    EXPECT_EQ(p.convertTo(PatternGen::Colour_YCbCr_709).alpha, 2048);
}

TEST(PixelConvert2020, ResultsAreAlways12Bits)
{
    const Pixel white10(940, 512, 512, PatternGen::Colour_YCbCr_2020, 10);
    const Pixel to709 = white10.convertTo(PatternGen::Colour_YCbCr_709);
    expectSamples(to709, 3760, 2048, 2048);
    EXPECT_EQ(to709.bitDepth, 12);
    EXPECT_EQ(to709.alpha, 4095);

    expectSamples(white10.convertTo(PatternGen::Colour_YCbCr_601), 3760, 2047, 2044);
    expectSamples(white10.convertTo(PatternGen::Colour_RGB), 4095, 4095, 4095);
    expectSamples(white10.convertTo(PatternGen::Colour_RGB_219), 3760, 3760, 3760);
}

TEST(PixelConvert2020, NarrowerResultKeepsTheSourceAlpha)
{
    const Pixel p = Pixel(60160, 32768, 32768, PatternGen::Colour_YCbCr_2020, 16).convertTo(PatternGen::Colour_YCbCr_709);
    expectSamples(p, 3760, 2048, 2048);
    EXPECT_EQ(p.bitDepth, 12);
    EXPECT_EQ(p.alpha, 65535);
}

// ---- unsupported requests ----

using PixelConvertDeathTest = testing::Test;

TEST_F(PixelConvertDeathTest, NoMatrixChangeBetween709And601)
{
    EXPECT_DEATH(kWhite709.convertTo(PatternGen::Colour_YCbCr_601), "tools/Pixel.*axis == toSpace");
    EXPECT_DEATH(Pixel(940, 512, 512, PatternGen::Colour_YCbCr_601, 10).convertTo(PatternGen::Colour_YCbCr_709),
                 "tools/Pixel.*axis == toSpace");
}

TEST_F(PixelConvertDeathTest, HdrYCbCrOnlyToRgb)
{
    EXPECT_DEATH(Pixel(509, 512, 512, PatternGen::Colour_YCbCr_PQ, 10).convertTo(PatternGen::Colour_YCbCr_709),
                 "tools/Pixel.*axis == toSpace");
}

TEST_F(PixelConvertDeathTest, MappedRgbHdrCannotBeConverted)
{
    EXPECT_DEATH(Pixel(509, 512, 512, PatternGen::Colour_RGB_PQ_Mapped, 12).convertTo(PatternGen::Colour_RGB),
                 "tools/Pixel.*axis == toSpace");
}

TEST_F(PixelConvertDeathTest, Rec2020ToMappedSpaces)
{
    EXPECT_DEATH(Pixel(940, 512, 512, PatternGen::Colour_YCbCr_2020, 10).convertTo(PatternGen::Colour_YCbCr_PQ_Mapped),
                 "tools/Pixel.*Assertion .0. failed");
}

TEST_F(PixelConvertDeathTest, AssignmentsCheckTheirAxes)
{
    EXPECT_DEATH(Pixel().assignRGBValues(1, 1, 1), "tools/Pixel.*axis == PatternGen::Colour_RGB");
    EXPECT_DEATH(Pixel().assignRGB219Values(1, 1, 1), "tools/Pixel.*axis == PatternGen::Colour_RGB_219");
    EXPECT_DEATH(Pixel().assignYCbCr601Values(1, 1, 1), "tools/Pixel.*axis == PatternGen::Colour_YCbCr_601");
    EXPECT_DEATH(blank(PatternGen::Colour_RGB, 12).assignYCbCr709Values(1, 1, 1),
                 "tools/Pixel.*axis == PatternGen::Colour_YCbCr_709");
    EXPECT_DEATH(Pixel().assignYCbCr2020Values(1, 1, 1), "tools/Pixel.*colourIsIn2020\\(\\)");
}
