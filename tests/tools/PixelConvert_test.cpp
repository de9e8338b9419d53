#include "tools/Pixel.h"

#include <gtest/gtest.h>

#include <limits>

using PatternGen::colorAxes_e;

namespace {

void expectSamples(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cb, cb);
    EXPECT_EQ(p.cr, cr);
}

Pixel blank(colorAxes_e axes, int bits, bool fullRange = false)
{
    return Pixel(0, 0, 0, axes, bits, fullRange);
}

const Pixel kWhite709(3760, 2048, 2048);
const Pixel kYellowRgb(4095, 0, 4095, PatternGen::Colour_RGB);

}  // namespace

TEST(PixelAssign, YCbCrMatricesAndQuantisation)
{
    struct Row { colorAxes_e axes; int bits; bool fullRange; double r, g, b; int y, cb, cr; };
    const Row rows[] = {
        {PatternGen::Colour_YCbCr_709, 12, false, 0.75, 0.75, 0, 2694, 704, 2171},
        {PatternGen::Colour_YCbCr_709, 10, false, 1, 1, 0, 877, 64, 553},
        {PatternGen::Colour_YCbCr_601, 12, false, 0.75, 0.75, 0.75, 2884, 2047, 2045},  // 601 is not quite neutral
        {PatternGen::Colour_YCbCr_601, 10, false, 1, 1, 1, 940, 512, 511},
        {PatternGen::Colour_YCbCr_601, 8, false, 1, 1, 1, 235, 128, 128},
        {PatternGen::Colour_YCbCr_2020, 10, false, 1, 1, 0, 888, 64, 548},
        // Full range: chroma over 1019 steps: 512 + round(0.44271 x 1019) = 963, not 964.
        {PatternGen::Colour_YCbCr_709, 10, true, 0.5, 0, 1, 182, 963, 720},
        {PatternGen::Colour_YCbCr_709, 10, false, 1.2, 1.2, 1.2, 1019, 512, 512},  // clipped to the legal codes
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.axes << " " << r.bits << " " << r.r << " " << r.g << " " << r.b);
        Pixel p = blank(r.axes, r.bits, r.fullRange);
        if (r.axes == PatternGen::Colour_YCbCr_601) p.assignYCbCr601Values(r.r, r.g, r.b);
        else if (r.axes == PatternGen::Colour_YCbCr_709) p.assignYCbCr709Values(r.r, r.g, r.b);
        else p.assignYCbCr2020Values(r.r, r.g, r.b);
        expectSamples(p, r.y, r.cb, r.cr);
    }
    Pixel slog3 = blank(PatternGen::Colour_YCbCr_SLog3, 10);  // range levels even here; gamma type untouched
    slog3.assignYCbCr2020Values(0.5, 0.5, 0.5);
    EXPECT_EQ(slog3.blackLevel, 64);
    EXPECT_EQ(slog3.gammaType, 2);
}

TEST(PixelAssign, RgbClampsToUnitRangeAndStudioRgbKeepsExcursions)
{
    Pixel rgb = blank(PatternGen::Colour_RGB, 10);
    rgb.assignRGBValues(1.2, -0.1, 0.5);
    expectSamples(rgb, 0, 512, 1023);
    rgb.assignRGBValues(std::numeric_limits<double>::quiet_NaN(), 0.0, 1.0);
    EXPECT_EQ(rgb.cr, 1023);
    Pixel studio = blank(PatternGen::Colour_RGB_219, 10);
    studio.assignRGB219Values(1.1, 1.05, -0.1);  // 64 + round(876 x 1.05) = 984
    expectSamples(studio, 984, 4, 1019);
    Pixel full = blank(PatternGen::Colour_RGB_219, 8, true);
    full.assignRGB219Values(1.0, 0.5, 0.0);
    expectSamples(full, 128, 0, 255);
}

TEST(PixelConvertTo, SdrPairsAndUnchangedCopies)
{
    const Pixel rgbWhite = kWhite709.convertTo(PatternGen::Colour_RGB);
    expectSamples(rgbWhite, 4095, 4095, 4095);
    EXPECT_EQ(rgbWhite.blackLevel + rgbWhite.whiteLevel, 4095);
    expectSamples(kYellowRgb.convertTo(PatternGen::Colour_YCbCr_709), 3507, 256, 2212);
    expectSamples(Pixel(4095, 4095, 4095, PatternGen::Colour_RGB).convertTo(PatternGen::Colour_YCbCr_601), 3760, 2047, 2044);
    const Pixel studioYellow = kYellowRgb.convertTo(PatternGen::Colour_RGB_219);
    expectSamples(studioYellow, 3760, 256, 3760);
    expectSamples(studioYellow.convertTo(PatternGen::Colour_RGB), 4095, 0, 4095);
    const Pixel studioRed = Pixel(1001, 1637, 3840).convertTo(PatternGen::Colour_RGB_219);
    expectSamples(studioRed, 256, 255, 3760);
    expectSamples(studioRed.convertTo(PatternGen::Colour_YCbCr_709), 1001, 1637, 3840);
    // HDR Y'CbCr shown as full-range R'G'B': round((509 - 64) / 876 x 1023) = 520.
    expectSamples(Pixel(509, 512, 512, PatternGen::Colour_YCbCr_PQ, 10).convertTo(PatternGen::Colour_RGB), 520, 520, 520);
    for (int a : {0, 1, 2, 3, 4, 12, 13, 17, 20, 21}) {
        Pixel p(701, 333, 612, static_cast<colorAxes_e>(a), 10);
        p.alpha = 99;
        const Pixel q = p.convertTo(static_cast<colorAxes_e>(a == 21 ? 3 : a));  // 21: unchanged whatever the target
        expectSamples(q, 701, 333, 612);
        EXPECT_EQ(q.alpha + q.bitDepth, 99 + 10) << a;
    }
    const Pixel toUnknown = kYellowRgb.convertTo(static_cast<colorAxes_e>(21));
    expectSamples(toUnknown, 4095, 0, 4095);
    EXPECT_EQ(toUnknown.axis, 21);
}

TEST(PixelConvertTo, Rec2020)
{
    // Assignment into 2020 keeps the source's gamma type.
    const Pixel fromRgb = Pixel(1023, 0, 1023, PatternGen::Colour_RGB, 10).convertTo(PatternGen::Colour_YCbCr_2020);
    expectSamples(fromRgb, 888, 64, 548);
    EXPECT_EQ(fromRgb.gammaType, 1);
    EXPECT_EQ(fromRgb.whiteLevel, 940);
    EXPECT_EQ(kWhite709.convertTo(PatternGen::Colour_YCbCr_2020).gammaType, 1);
    // Out of 2020 the result is 12 bits.
    const Pixel same = Pixel(940, 500, 530, PatternGen::Colour_YCbCr_2020, 10).convertTo(PatternGen::Colour_YCbCr_2020);
    expectSamples(same, 3760, 2000, 2120);
    EXPECT_EQ(same.alpha, 4095);
    Pixel white10(940, 512, 512, PatternGen::Colour_YCbCr_2020, 10);
    const Pixel to709 = white10.convertTo(PatternGen::Colour_YCbCr_709);
    expectSamples(to709, 3760, 2048, 2048);
    EXPECT_EQ(to709.bitDepth, 12);
    expectSamples(white10.convertTo(PatternGen::Colour_YCbCr_601), 3760, 2047, 2044);
    expectSamples(white10.convertTo(PatternGen::Colour_RGB_219), 3760, 3760, 3760);
    expectSamples(white10.convertTo(PatternGen::Colour_YCbCr_PQ), 509, 512, 512);
    white10.alpha = 512;
    EXPECT_EQ(white10.convertTo(PatternGen::Colour_RGB).alpha, 2048);
}

TEST(PixelConvertTo, SdrToHdrYCbCrIntermediates)
{
    // Nominal luma goes through full-range R'G'B', clamped at white and black.
    EXPECT_EQ(kWhite709.convertTo(PatternGen::Colour_YCbCr_PQ).y, 509);
    EXPECT_EQ(Pixel(256, 2048, 2048).convertTo(PatternGen::Colour_YCbCr_PQ).y, 64);
    // Outside it, R'G'B'-219 keeps the excursion: 10-bit 975 above white, 62 below black.
    EXPECT_EQ(Pixel(3900, 2048, 2048).convertTo(PatternGen::Colour_YCbCr_PQ).y, 513);
    EXPECT_EQ(Pixel(250, 2048, 2048).convertTo(PatternGen::Colour_YCbCr_PQ).y, 4);
    // 12-bit R'G'B' is read at 10 bits: 3 >> 2 is black, where 3 / 4095 would lift PQ well above 64.
    EXPECT_EQ(Pixel(3, 3, 3, PatternGen::Colour_RGB).convertTo(PatternGen::Colour_YCbCr_PQ).y, 64);
    const Pixel rgbPq = kWhite709.convertTo(PatternGen::Colour_RGB_PQ);
    expectSamples(rgbPq, 2036, 2036, 2036);
    EXPECT_EQ(rgbPq.bitDepth, 12);
}

TEST(PixelConvertDeathTest, UnsupportedRequestsFailTheirAssertion)
{
    const char* toSpace = "tools/Pixel.*`axis == toSpace'";
    EXPECT_DEATH(kWhite709.convertTo(PatternGen::Colour_YCbCr_601), toSpace);
    EXPECT_DEATH(Pixel(940, 512, 512, PatternGen::Colour_YCbCr_601).convertTo(PatternGen::Colour_YCbCr_709), toSpace);
    EXPECT_DEATH(Pixel(509, 512, 512, PatternGen::Colour_YCbCr_PQ).convertTo(PatternGen::Colour_YCbCr_2020), toSpace);
    EXPECT_DEATH(Pixel(509, 512, 512, PatternGen::Colour_YCbCr_PQ).convertTo(static_cast<colorAxes_e>(21)), toSpace);
    EXPECT_DEATH(Pixel(509, 512, 512, PatternGen::Colour_RGB_PQ_Mapped).convertTo(PatternGen::Colour_RGB), toSpace);
    EXPECT_DEATH(Pixel(940, 512, 512, PatternGen::Colour_YCbCr_2020).convertTo(PatternGen::Colour_YCbCr_PQ_Mapped),
                 "tools/Pixel.*`0' failed");
    EXPECT_DEATH(Pixel().assignRGBValues(1, 1, 1), "tools/Pixel.*`axis == PatternGen::Colour_RGB'");
    EXPECT_DEATH(Pixel().assignRGB219Values(1, 1, 1), "tools/Pixel.*`axis == PatternGen::Colour_RGB_219'");
    EXPECT_DEATH(Pixel().assignYCbCr601Values(1, 1, 1), "tools/Pixel.*`axis == PatternGen::Colour_YCbCr_601'");
    EXPECT_DEATH(kYellowRgb.convertRGB709toYCbCr2020(0, 0, 0).assignYCbCr709Values(1, 1, 1),
                 "tools/Pixel.*`axis == PatternGen::Colour_YCbCr_709'");
    EXPECT_DEATH(Pixel().assignYCbCr2020Values(1, 1, 1), "tools/Pixel.*`colourIsIn2020\\(\\)'");
}
