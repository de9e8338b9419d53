// Pixel's conversions: the SDR matrices and quantisation, the HDR signals in
// their Y'CbCr and R'G'B' forms, and the preconditions they assert.
#include "tools/Pixel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>
#include <tuple>

#include "support/PixelExpectations.h"
#include "tools/ColourAxes.h"

using namespace PatternGen;

namespace {

// The 10-bit full-range R'G'B' intermediate the SDR to HDR conversions start from.
const Pixel kRgbSource(0, 0, 0, Colour_RGB, 10);

}  // namespace

TEST(PixelAssign, YCbCrMatricesAndQuantisation)
{
    const struct {
        colorAxes_e axes;
        int bits;
        bool fullRange;
        double r, g, b;
        Codes expected;
    } cases[] = {
        {Colour_YCbCr_709, 10, false, 1, 1, 0, {877, 64, 553}},
        {Colour_YCbCr_601, 12, false, 0.75, 0.75, 0.75, {2884, 2047, 2045}},  // 601 is not quite neutral
        {Colour_YCbCr_2020, 10, false, 1, 1, 0, {888, 64, 548}},
        // Full range: chroma over 1019 steps: 512 + round(0.44271 x 1019) = 963, not 964.
        {Colour_YCbCr_709, 10, true, 0.5, 0, 1, {182, 963, 720}},
        {Colour_YCbCr_709, 10, false, 1.2, 1.2, 1.2, {1019, 512, 512}},  // clipped to the legal codes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.axes << " " << c.bits << " " << c.r << " " << c.g << " " << c.b);
        Pixel p(0, 0, 0, c.axes, c.bits, c.fullRange);
        if (c.axes == Colour_YCbCr_601)
            p.assignYCbCr601Values(c.r, c.g, c.b);
        else if (c.axes == Colour_YCbCr_709)
            p.assignYCbCr709Values(c.r, c.g, c.b);
        else
            p.assignYCbCr2020Values(c.r, c.g, c.b);
        EXPECT_EQ(codesOf(p), c.expected);
    }
    Pixel rgb(0, 0, 0, Colour_RGB, 10);  // clamped to the unit range, a NaN to 1
    rgb.assignRGBValues(std::numeric_limits<double>::quiet_NaN(), -0.1, 0.5);
    EXPECT_EQ(codesOf(rgb), codes(0, 512, 1023));
    Pixel studio(0, 0, 0, Colour_RGB_219, 10);  // excursions kept: 64 + round(876 x 1.05) = 984
    studio.assignRGB219Values(1.1, 1.05, -0.1);
    EXPECT_EQ(codesOf(studio), codes(984, 4, 1019));
}

TEST(PixelConvertTo, SdrPairs)
{
    EXPECT_EQ(codesOf(Pixel(3760, 2048, 2048).convertTo(Colour_RGB)), codes(4095, 4095, 4095));
    EXPECT_EQ(codesOf(Pixel(4095, 0, 4095, Colour_RGB).convertTo(Colour_YCbCr_709)), codes(3507, 256, 2212));
    EXPECT_EQ(codesOf(Pixel(4095, 4095, 4095, Colour_RGB).convertTo(Colour_YCbCr_601)), codes(3760, 2047, 2044));
    const Pixel studioRed = Pixel(1001, 1637, 3840).convertTo(Colour_RGB_219);
    EXPECT_EQ(codesOf(studioRed), codes(256, 255, 3760));
    EXPECT_EQ(codesOf(studioRed.convertTo(Colour_YCbCr_709)), codes(1001, 1637, 3840));
    // HDR Y'CbCr shown as full-range R'G'B': round((509 - 64) / 876 x 1023) = 520.
    EXPECT_EQ(codesOf(Pixel(509, 512, 512, Colour_YCbCr_PQ, 10).convertTo(Colour_RGB)), codes(520, 520, 520));
}

TEST(PixelConvertTo, ItsOwnAxesChangeNothing)
{
    // Every axes value, and one outside the enumeration; Rec. 2020 results are
    // 12-bit, so a 10-bit Rec. 2020 pixel comes back widened.
    for (int a = 0; a <= Colour_Axes_Count; ++a) {
        const colorAxes_e axes = static_cast<colorAxes_e>(a);
        for (int bits : {10, 12}) {
            Pixel p(701, 333, 612, axes, bits);
            p.alpha = 99;
            const Pixel q = p.convertTo(axes);
            const int widen = axes == Colour_YCbCr_2020 && bits == 10 ? 4 : 1;
            EXPECT_EQ(std::make_tuple(q.y, q.cb, q.cr, q.alpha, q.axis),
                      std::make_tuple(701 * widen, 333 * widen, 612 * widen, 99 * widen, axes))
                << axisToString(axes) << " " << bits;
            EXPECT_EQ(q.bitDepth, widen == 1 ? bits : 12);
        }
    }
    const Pixel outside(701, 333, 612, Colour_Axes_Count, 10);  // converts to nothing
    EXPECT_EQ(codesOf(outside.convertTo(Colour_YCbCr_709)), codes(701, 333, 612));
}

TEST(PixelConvertTo, Rec2020AndSdrToHdrIntermediates)
{
    // Assignment into 2020 keeps the source's gamma type.
    const Pixel fromRgb = Pixel(1023, 0, 1023, Colour_RGB, 10).convertTo(Colour_YCbCr_2020);
    EXPECT_EQ(codesOf(fromRgb), codes(888, 64, 548));
    EXPECT_EQ(fromRgb.gammaType, 1);
    EXPECT_EQ(codesOf(Pixel(940, 512, 512, Colour_YCbCr_2020, 10).convertTo(Colour_YCbCr_709)),
              codes(3760, 2048, 2048));  // out of 2020 the result is 12 bits
    // Outside the nominal range, R'G'B'-219 keeps the excursion: 10-bit 975 above white, 62 below black.
    EXPECT_EQ(Pixel(3900, 2048, 2048).convertTo(Colour_YCbCr_PQ).y, 513);
    EXPECT_EQ(Pixel(250, 2048, 2048).convertTo(Colour_YCbCr_PQ).y, 4);
    // 12-bit R'G'B' is read at 10 bits: 3 >> 2 is black, where 3 / 4095 would lift PQ well above 64.
    EXPECT_EQ(Pixel(3, 3, 3, Colour_RGB).convertTo(Colour_YCbCr_PQ).y, 64);
}

TEST(SdrToHdrYCbCr, WhiteBlackAndColours)
{
    const struct {
        colorAxes_e axes;
        int white, black;
    } cases[] = {{Colour_YCbCr_PQ, 509, 64},
                 {Colour_YCbCr_PQ_Mapped, 509, 64},
                 {Colour_YCbCr_HLG, 616, 64},
                 {Colour_YCbCr_SLog3, 598, 95},
                 {Colour_YCbCr_SLog3_Live_Mapped, 598, 95}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.axes);
        const Pixel white = Pixel(1023, 1023, 1023, Colour_RGB, 10).convertTo(c.axes);
        EXPECT_EQ(codesOf(white), codes(c.white, 512, 512));
        EXPECT_EQ(white.axis, c.axes);
        EXPECT_EQ(codesOf(kRgbSource.convertTo(c.axes)), codes(c.black, 512, 512));
    }
    EXPECT_EQ(codesOf(kRgbSource.convertRGB709toYCbCrPQ(1, 1, 0, Colour_YCbCr_PQ)), codes(483, 284, 530));
    EXPECT_EQ(codesOf(kRgbSource.convertRGB709toYCbCrPQ(1, 1, 0, Colour_YCbCr_PQ_Mapped)), codes(497, 421, 518));
    EXPECT_EQ(codesOf(kRgbSource.convertRGB709toYCbCrHLG(1, 1, 0, Colour_YCbCr_HLG)), codes(585, 229, 535));
    // Mapped: the Rec. 709 primaries through the matrix into Rec. 2020 light, one column each.
    EXPECT_EQ(codesOf(kRgbSource.convertRGB709toYCbCrHLG(1, 0, 0, Colour_YCbCr_HLG_Mapped)), codes(321, 418, 688));
    EXPECT_EQ(codesOf(kRgbSource.convertRGB709toYCbCrHLG(0, 1, 0, Colour_YCbCr_HLG_Mapped)), codes(535, 352, 423));
    EXPECT_EQ(codesOf(kRgbSource.convertRGB709toYCbCrHLG(0, 0, 1, Colour_YCbCr_HLG_Mapped)), codes(192, 775, 528));
    // Signs come back: S-Log3 mirrors about 95 (95 - 60.97 rounds to 34); far above white it is clipped.
    const Pixel belowBlack = kRgbSource.convertRGB709toYCbCrSLog3(-0.01, -0.01, -0.01, Colour_YCbCr_SLog3);
    EXPECT_EQ(codesOf(belowBlack), codes(34, 512, 512));
    EXPECT_EQ(kRgbSource.convertRGB709toYCbCrSLog3(1000, 1000, 1000, Colour_YCbCr_SLog3).y, 1019);
}

TEST(HdrRgb, TheSignalOfTheYCbCrPartnerAs12BitRgb219)
{
    const Pixel white(3760, 3760, 3760, Colour_RGB_219, 12);
    EXPECT_EQ(codesOf(white.convertTo(Colour_RGB_PQ)), codes(2036, 2036, 2036));
    EXPECT_EQ(codesOf(white.convertTo(Colour_RGB_HLG)), codes(2464, 2464, 2464));
    // S-Log3 598 is read back against the studio black 64, not 95.
    EXPECT_EQ(codesOf(white.convertTo(Colour_RGB_SLog3)), codes(2392, 2392, 2392));
    // A 12-bit R'G'B' source re-derives its values from 10-bit codes.
    const Pixel rgbWhite(4095, 4095, 4095, Colour_RGB);
    EXPECT_EQ(codesOf(rgbWhite.convertRGB709toRGBHDR(0, 0, 0, Colour_RGB_PQ)), codes(2036, 2036, 2036));
    const Pixel yellow(1023, 0, 1023, Colour_RGB, 10);
    for (const ColourAxes::Facts& f : ColourAxes::kTable) {
        if (!ColourAxes::isHdrRgb(f.axes)) continue;
        SCOPED_TRACE(f.name);
        EXPECT_EQ(codesOf(yellow.convertTo(f.axes)), codesOf(yellow.convertTo(f.partner).convertTo(f.axes)));
    }
    // Back from unmapped R'G'B': round((2036 - 256) / 3504 x 4095) = 2080.
    EXPECT_EQ(codesOf(Pixel(2036, 3760, 256, Colour_RGB_PQ).convertTo(Colour_RGB)), codes(2080, 4095, 0));
    EXPECT_EQ(codesOf(Pixel(2036, 2036, 2036, Colour_RGB_PQ).convertTo(Colour_YCbCr_PQ)), codes(2036, 2048, 2048));
}

TEST(PixelConvertDeathTest, UnsupportedRequestsFailTheirAssertionInPixelCpp)
{
    EXPECT_DEATH(Pixel(940, 512, 512, Colour_YCbCr_601).convertTo(Colour_YCbCr_709),
                 "tools/Pixel.cpp.*`axis == toSpace'");
    EXPECT_DEATH(Pixel().assignRGBValues(1, 1, 1), "tools/Pixel.cpp.*`axis == PatternGen::Colour_RGB'");
    // The message goes to standard output: send it where the death test looks.
    EXPECT_DEATH((dup2(STDERR_FILENO, STDOUT_FILENO), Pixel(0, 0, 0, Colour_RGB_PQ).convertTo(Colour_YCbCr_HLG)),
                 "convertHDRFromRGB invalid from 13 to 6\n.*tools/Pixel.cpp.*`0' failed");
}
