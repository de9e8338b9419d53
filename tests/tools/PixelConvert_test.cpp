#include "tools/Pixel.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using namespace PatternGen;

namespace {

void expectSamples(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(std::make_tuple(p.y, p.cb, p.cr), std::make_tuple(y, cb, cr));
}

}  // namespace

TEST(PixelAssign, YCbCrMatricesAndQuantisation)
{
    struct Row { colorAxes_e axes; int bits; bool fullRange; double r, g, b; int y, cb, cr; };
    const Row rows[] = {
        {Colour_YCbCr_709, 10, false, 1, 1, 0, 877, 64, 553},
        {Colour_YCbCr_601, 12, false, 0.75, 0.75, 0.75, 2884, 2047, 2045},  // 601 is not quite neutral
        {Colour_YCbCr_2020, 10, false, 1, 1, 0, 888, 64, 548},
        // Full range: chroma over 1019 steps: 512 + round(0.44271 x 1019) = 963, not 964.
        {Colour_YCbCr_709, 10, true, 0.5, 0, 1, 182, 963, 720},
        {Colour_YCbCr_709, 10, false, 1.2, 1.2, 1.2, 1019, 512, 512},  // clipped to the legal codes
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.axes << " " << r.bits << " " << r.r << " " << r.g << " " << r.b);
        Pixel p(0, 0, 0, r.axes, r.bits, r.fullRange);
        if (r.axes == Colour_YCbCr_601) p.assignYCbCr601Values(r.r, r.g, r.b);
        else if (r.axes == Colour_YCbCr_709) p.assignYCbCr709Values(r.r, r.g, r.b);
        else p.assignYCbCr2020Values(r.r, r.g, r.b);
        expectSamples(p, r.y, r.cb, r.cr);
    }
    Pixel rgb(0, 0, 0, Colour_RGB, 10);  // clamped to the unit range, a NaN to 1
    rgb.assignRGBValues(std::numeric_limits<double>::quiet_NaN(), -0.1, 0.5);
    expectSamples(rgb, 0, 512, 1023);
    Pixel studio(0, 0, 0, Colour_RGB_219, 10);  // excursions kept: 64 + round(876 x 1.05) = 984
    studio.assignRGB219Values(1.1, 1.05, -0.1);
    expectSamples(studio, 984, 4, 1019);
}

TEST(PixelConvertTo, SdrPairsAndUnchangedCopies)
{
    expectSamples(Pixel(3760, 2048, 2048).convertTo(Colour_RGB), 4095, 4095, 4095);
    expectSamples(Pixel(4095, 0, 4095, Colour_RGB).convertTo(Colour_YCbCr_709), 3507, 256, 2212);
    expectSamples(Pixel(4095, 4095, 4095, Colour_RGB).convertTo(Colour_YCbCr_601), 3760, 2047, 2044);
    const Pixel studioRed = Pixel(1001, 1637, 3840).convertTo(Colour_RGB_219);
    expectSamples(studioRed, 256, 255, 3760);
    expectSamples(studioRed.convertTo(Colour_YCbCr_709), 1001, 1637, 3840);
    // HDR Y'CbCr shown as full-range R'G'B': round((509 - 64) / 876 x 1023) = 520.
    expectSamples(Pixel(509, 512, 512, Colour_YCbCr_PQ, 10).convertTo(Colour_RGB), 520, 520, 520);
    for (int a : {0, 1, 2, 3, 4, 12, 13, 17, 20, 21}) {
        Pixel p(701, 333, 612, static_cast<colorAxes_e>(a), 10);
        p.alpha = 99;
        const Pixel q = p.convertTo(static_cast<colorAxes_e>(a == 21 ? 3 : a));  // 21: unchanged whatever the target
        EXPECT_EQ(std::make_tuple(q.y, q.cb, q.cr, q.alpha, q.bitDepth), std::make_tuple(701, 333, 612, 99, 10)) << a;
    }
}

TEST(PixelConvertTo, Rec2020AndSdrToHdrIntermediates)
{
    // Assignment into 2020 keeps the source's gamma type.
    const Pixel fromRgb = Pixel(1023, 0, 1023, Colour_RGB, 10).convertTo(Colour_YCbCr_2020);
    expectSamples(fromRgb, 888, 64, 548);
    EXPECT_EQ(fromRgb.gammaType, 1);
    // Out of 2020 the result is 12 bits.
    const Pixel white10(940, 512, 512, Colour_YCbCr_2020, 10);
    expectSamples(white10.convertTo(Colour_YCbCr_2020), 3760, 2048, 2048);
    expectSamples(white10.convertTo(Colour_YCbCr_709), 3760, 2048, 2048);
    // Outside the nominal range, R'G'B'-219 keeps the excursion: 10-bit 975 above white, 62 below black.
    EXPECT_EQ(Pixel(3900, 2048, 2048).convertTo(Colour_YCbCr_PQ).y, 513);
    EXPECT_EQ(Pixel(250, 2048, 2048).convertTo(Colour_YCbCr_PQ).y, 4);
    // 12-bit R'G'B' is read at 10 bits: 3 >> 2 is black, where 3 / 4095 would lift PQ well above 64.
    EXPECT_EQ(Pixel(3, 3, 3, Colour_RGB).convertTo(Colour_YCbCr_PQ).y, 64);
}

TEST(PixelConvertDeathTest, UnsupportedRequestsFailTheirAssertion)
{
    EXPECT_DEATH(Pixel(940, 512, 512, Colour_YCbCr_601).convertTo(Colour_YCbCr_709),
                 "tools/Pixel.*`axis == toSpace'");
    EXPECT_DEATH(Pixel().assignRGBValues(1, 1, 1), "tools/Pixel.*`axis == PatternGen::Colour_RGB'");
}
