#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>
#include <tuple>

#include "tools/Pixel.h"

using namespace PatternGen;

namespace {

void expectCodes(const Pixel& p, int y, int cb, int cr)
{
    EXPECT_EQ(std::make_tuple(p.y, p.cb, p.cr), std::make_tuple(y, cb, cr));
}

// The 10-bit full-range R'G'B' intermediate the SDR to HDR conversions start from.
const Pixel kRgbSource(0, 0, 0, Colour_RGB, 10);

}  // namespace

TEST(HdrTransfer, PqHlgAndSLog3Curves) {
    EXPECT_DOUBLE_EQ(Pixel::applyPqInverseEOTF(1.0), 0.508078421517399);
    EXPECT_EQ(Pixel::applyHlgOETF(1.0 / 12), 0.5);
    EXPECT_DOUBLE_EQ(Pixel::applyHlgOETF(1.0), 0.9999999955365686);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(3.0), 2.498049532966813);  // x^(1/1.2)
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(4.0), 3.1758052058674355);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.2, false), 420.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.0, false), 95.0);
    // Negatives mirror about 420 (log segment) or 95 (linear segment).
    const double up = Pixel::applySLog3OETFAndRestoreAbsolutisedInput(1.0, false);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(1.0, true), 840.0 - up);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(Pixel::applyPqInverseEOTF(bad) + Pixel::applyHlgOETF(bad), 0.0) << bad;
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(-0.5, false), 0.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(std::numeric_limits<double>::quiet_NaN(), true), 0.0);
}

TEST(SdrToHdrYCbCr, WhiteBlackAndYellow) {
    struct Row { colorAxes_e axes; int white, black; };
    const Row rows[] = {{Colour_YCbCr_PQ, 509, 64},          {Colour_YCbCr_PQ_Mapped, 509, 64},
                        {Colour_YCbCr_HLG, 616, 64},         {Colour_YCbCr_SLog3, 598, 95},
                        {Colour_YCbCr_SLog3_Live_Mapped, 598, 95}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.axes);
        const Pixel white = Pixel(1023, 1023, 1023, Colour_RGB, 10).convertTo(row.axes);
        expectCodes(white, row.white, 512, 512);
        EXPECT_EQ(white.axis, row.axes);
        expectCodes(kRgbSource.convertTo(row.axes), row.black, 512, 512);
    }
    expectCodes(kRgbSource.convertRGB709toYCbCrPQ(1, 1, 0, Colour_YCbCr_PQ), 483, 284, 530);
    expectCodes(kRgbSource.convertRGB709toYCbCrPQ(1, 1, 0, Colour_YCbCr_PQ_Mapped), 497, 421, 518);
    expectCodes(kRgbSource.convertRGB709toYCbCrHLG(1, 1, 0, Colour_YCbCr_HLG), 585, 229, 535);
    // Signs come back: S-Log3 mirrors about 95 (95 - 60.97 rounds to 34); far above white it is clipped.
    expectCodes(kRgbSource.convertRGB709toYCbCrSLog3(-0.01, -0.01, -0.01, Colour_YCbCr_SLog3), 34, 512, 512);
    EXPECT_EQ(kRgbSource.convertRGB709toYCbCrSLog3(1000, 1000, 1000, Colour_YCbCr_SLog3).y, 1019);
}

TEST(HdrRgb, DecodedSignalAs12BitRgb219) {
    const Pixel white(3760, 3760, 3760, Colour_RGB_219, 12);
    expectCodes(white.convertTo(Colour_RGB_PQ), 2036, 2036, 2036);
    expectCodes(white.convertTo(Colour_RGB_HLG), 2464, 2464, 2464);
    // S-Log3 598 is read back against the studio black 64, not 95.
    expectCodes(white.convertTo(Colour_RGB_SLog3), 2392, 2392, 2392);
    // A 12-bit R'G'B' source re-derives its values from 10-bit codes.
    expectCodes(Pixel(4095, 4095, 4095, Colour_RGB).convertRGB709toRGBHDR(0, 0, 0, Colour_RGB_PQ), 2036, 2036, 2036);
    // Each R'G'B' axes carries the signal of its Y'CbCr partner.
    const int pairs[][2] = {{13, 4}, {14, 6}, {15, 9}, {16, 11}, {17, 5}, {18, 7}, {19, 10}, {20, 12}};
    const Pixel yellow(1023, 0, 1023, Colour_RGB, 10);
    for (const auto& pair : pairs) {
        const colorAxes_e rgb = static_cast<colorAxes_e>(pair[0]);
        const Pixel viaYcc = yellow.convertTo(static_cast<colorAxes_e>(pair[1])).convertTo(rgb);
        SCOPED_TRACE(pair[0]);
        expectCodes(yellow.convertTo(rgb), viaYcc.y, viaYcc.cb, viaYcc.cr);
    }
    // Back from unmapped R'G'B': round((2036 - 256) / 3504 x 4095) = 2080.
    expectCodes(Pixel(2036, 3760, 256, Colour_RGB_PQ).convertTo(Colour_RGB), 2080, 4095, 0);
    expectCodes(Pixel(2036, 2036, 2036, Colour_RGB_PQ).convertTo(Colour_YCbCr_PQ), 2036, 2048, 2048);
}

TEST(HdrPreconditionsDeathTest, InvalidPairIsNamedOnStandardOutput) {
    // The message goes to standard output: send it where the death test looks.
    EXPECT_DEATH((dup2(STDERR_FILENO, STDOUT_FILENO), Pixel(0, 0, 0, Colour_RGB_PQ).convertTo(Colour_YCbCr_HLG)),
                 "convertHDRFromRGB invalid from 13 to 6\n.*tools/Pixel.*`0' failed");
}
