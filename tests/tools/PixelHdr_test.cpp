#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "tools/Pixel.h"

using namespace PatternGen;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

void expectCodes(const Pixel& p, int y, int cb, int cr) {
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cb, cb);
    EXPECT_EQ(p.cr, cr);
}

// The 10-bit full-range R'G'B' intermediate the SDR to HDR conversions start from.
const Pixel kRgbSource(0, 0, 0, Colour_RGB, 10);

}  // namespace

TEST(HdrTransfer, PqHlgAndSLog3Curves) {
    EXPECT_DOUBLE_EQ(Pixel::applyPqInverseEOTF(1.0), 0.508078421517399);
    EXPECT_DOUBLE_EQ(Pixel::applyPqInverseEOTF(100.0), 1.0);
    EXPECT_EQ(Pixel::applyHlgOETF(1.0 / 12), 0.5);
    EXPECT_DOUBLE_EQ(Pixel::applyHlgOETF(1.0), 0.9999999955365686);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(3.0), std::pow(3.0, 0.8333333333333334));
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(4.0), (4.0 + 0.7474385637693104) / 1.2 / 1.2457309396155174);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.2, false), 420.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.0, false), 95.0);
    // Negatives mirror about 420 (log segment) or 95 (linear segment).
    const double up = Pixel::applySLog3OETFAndRestoreAbsolutisedInput(1.0, false);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(1.0, true), 840.0 - up);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.01, true), 95.0 - 6774.248417146666 * 0.009);
    for (double bad : {0.0, -1.0, kNaN}) {
        EXPECT_EQ(Pixel::applyPqInverseEOTF(bad), 0.0);
        EXPECT_EQ(Pixel::applyHlgOETF(bad), 0.0);
    }
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(-0.5, false), 0.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(kNaN, true), 0.0);
}

TEST(HdrTransfer, SignsAndPrimariesMatrix) {
    double r = -0.25, g = -0.0, b = 0.5;
    const Pixel::AbsoluteRGB flags = Pixel::absolutiseRgbInput(r, g, b);
    EXPECT_TRUE(flags.redNegative && !flags.greenNegative && !flags.blueNegative);  // -0.0 is not below 0
    EXPECT_EQ(r, 0.25);
    Pixel::restoreAbsolutisedRgbInput(flags, r, g, b);
    EXPECT_EQ(r + b, 0.25);
    // Linearised with the pixel's own curve (x^2.4 here), then converted.
    r = 0.5, g = 0.0, b = 0.0;
    kRgbSource.applyMatrixRGB709ValuesIn2020(r, g, b);
    EXPECT_DOUBLE_EQ(r, 0.6274 * std::pow(0.5, 2.4));
    r = 0.0, g = 0.0, b = 0.5;
    Pixel(0, 0, 0, Colour_YCbCr_601, 10).applyMatrixRGB709ValuesIn2020(r, g, b);  // gamma type 0: no curve
    EXPECT_DOUBLE_EQ(b, 0.8956 * 0.5);
}

TEST(SdrToHdrYCbCr, WhiteBlackAndYellowInEveryVariant) {
    struct Row { colorAxes_e axes; int white, black; };
    const Row rows[] = {{Colour_YCbCr_PQ, 509, 64},          {Colour_YCbCr_PQ_Mapped, 509, 64},
                        {Colour_YCbCr_HLG, 616, 64},         {Colour_YCbCr_HLG_Mapped, 616, 64},
                        {Colour_YCbCr_SLog3, 598, 95},       {Colour_YCbCr_SLog3_Mapped, 598, 95},
                        {Colour_YCbCr_SLog3_Live, 598, 95},  {Colour_YCbCr_SLog3_Live_Mapped, 598, 95}};
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
    expectCodes(kRgbSource.convertRGB709toYCbCrSLog3(1, 1, 0, Colour_YCbCr_SLog3_Mapped), 581, 390, 520);
}

TEST(SdrToHdrYCbCr, ResultIsTenBitAndKeepsSigns) {
    const Pixel slog3 = Pixel(3760, 3760, 3760, Colour_RGB_219).convertRGB709toYCbCrSLog3(1, 1, 1, Colour_YCbCr_SLog3_Live);
    EXPECT_EQ(slog3.blackLevel + slog3.whiteLevel, 95 + 1019);
    const Pixel fullSlog3 = Pixel(0, 0, 0, Colour_RGB, 12, true).convertRGB709toYCbCrSLog3(1, 1, 1, Colour_YCbCr_SLog3);
    EXPECT_EQ(fullSlog3.whiteLevel, 1023);
    // Negative blue: its magnitude goes through PQ and the sign comes back.
    const Pixel minus = kRgbSource.convertRGB709toYCbCrPQ(0, 0, -1, Colour_YCbCr_PQ);
    const Pixel plus = kRgbSource.convertRGB709toYCbCrPQ(0, 0, 1, Colour_YCbCr_PQ);
    EXPECT_EQ(minus.cb - 512, 512 - plus.cb);
    // S-Log3 mirrors about 95: 95 - 60.97 rounds to 34; far above white it is clipped to 1019.
    expectCodes(kRgbSource.convertRGB709toYCbCrSLog3(-0.01, -0.01, -0.01, Colour_YCbCr_SLog3), 34, 512, 512);
    EXPECT_EQ(kRgbSource.convertRGB709toYCbCrSLog3(1000, 1000, 1000, Colour_YCbCr_SLog3).y, 1019);
}

TEST(HdrRgb, SdrToHdrRgbIsTheDecodedSignalAs12BitRgb219) {
    const Pixel white(3760, 3760, 3760, Colour_RGB_219, 12);
    const Pixel pq = white.convertTo(Colour_RGB_PQ);
    expectCodes(pq, 2036, 2036, 2036);
    EXPECT_EQ(pq.bitDepth + pq.whiteLevel, 12 + 3760);
    expectCodes(white.convertTo(Colour_RGB_HLG), 2464, 2464, 2464);
    // S-Log3 598 is read back against the studio black 64, not 95.
    expectCodes(white.convertTo(Colour_RGB_SLog3), 2392, 2392, 2392);
    // A 12-bit R'G'B' source re-derives its values from 10-bit codes; others use what is passed.
    expectCodes(Pixel(4095, 4095, 4095, Colour_RGB).convertRGB709toRGBHDR(0, 0, 0, Colour_RGB_PQ), 2036, 2036, 2036);
    expectCodes(Pixel().convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_PQ), 2036, 2036, 2036);
    const Pixel fromYcc = Pixel(509, 512, 512, Colour_YCbCr_PQ, 10).convertTo(Colour_RGB_PQ);
    expectCodes(fromYcc, 2036, 2036, 2036);
    EXPECT_EQ(fromYcc.alpha, 4095);
    expectCodes(Pixel(95, 512, 512, Colour_YCbCr_SLog3_Mapped, 10).convertTo(Colour_RGB_SLog3_Mapped), 380, 380, 380);
}

TEST(HdrRgb, CarriesTheSignalOfItsYCbCrPartner) {
    // R'G'B' axes 13..20 and their Y'CbCr partners.
    const int pairs[][2] = {{13, 4}, {14, 6}, {15, 9}, {16, 11}, {17, 5}, {18, 7}, {19, 10}, {20, 12}};
    const Pixel yellow(1023, 0, 1023, Colour_RGB, 10);
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair[0]);
        const colorAxes_e rgb = static_cast<colorAxes_e>(pair[0]);
        const Pixel viaYcc = yellow.convertTo(static_cast<colorAxes_e>(pair[1])).convertTo(rgb);
        expectCodes(yellow.convertTo(rgb), viaYcc.y, viaYcc.cb, viaYcc.cr);
    }
}

TEST(HdrRgb, BackFromUnmappedHdrRgb) {
    expectCodes(Pixel(2036, 2036, 2036, Colour_RGB_PQ).convertTo(Colour_YCbCr_PQ), 2036, 2048, 2048);
    EXPECT_EQ(Pixel(256, 256, 256, Colour_RGB_SLog3_Live).convertTo(Colour_YCbCr_SLog3_Live).y, 256);
    const Pixel relabelled = Pixel(2036, 1000, 3000, Colour_RGB_SLog3).convertTo(Colour_RGB_219);
    expectCodes(relabelled, 2036, 1000, 3000);
    EXPECT_EQ(relabelled.axis, Colour_RGB_219);
    // round((2036 - 256) / 3504 x 4095) = 2080.
    expectCodes(Pixel(2036, 3760, 256, Colour_RGB_PQ).convertTo(Colour_RGB), 2080, 4095, 0);
}

TEST(HdrPreconditionsDeathTest, TargetsAndPartners) {
    EXPECT_DEATH(kRgbSource.convertRGB709toYCbCrPQ(1, 1, 1, Colour_YCbCr_HLG),
                 "tools/Pixel.*`pqColourSpace == PatternGen::Colour_YCbCr_PQ \\|\\| pqColourSpace == Pattern");
    EXPECT_DEATH(kRgbSource.convertRGB709toYCbCrHLG(1, 1, 1, Colour_YCbCr_PQ),
                 "tools/Pixel.*`hlgColourSpace == PatternGen::Colour_YCbCr_HLG \\|\\| hlgColourSpace == Pattern");
    EXPECT_DEATH(kRgbSource.convertRGB709toYCbCrSLog3(1, 1, 1, Colour_RGB_SLog3),
                 "tools/Pixel.*`slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3 \\|\\| slog3ColourSpace == Pattern");
    EXPECT_DEATH(kRgbSource.convertRGB709toRGBHDR(1, 1, 1, Colour_YCbCr_PQ), "tools/Pixel.*`0' failed");
    EXPECT_DEATH(Pixel(509, 512, 512, Colour_YCbCr_PQ, 10).convertYCbCrHDRToRGB(Colour_RGB_PQ_Mapped),
                 "tools/Pixel.*`toSpace == PatternGen::Colour_RGB_PQ'");
    EXPECT_DEATH(Pixel(509, 512, 512, Colour_YCbCr_2020, 10).convertYCbCrHDRToRGB(Colour_RGB_PQ), "tools/Pixel.*`0' failed");
    EXPECT_DEATH(  // the message goes to standard output: send it where the death test looks
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Pixel(2036, 2036, 2036, Colour_RGB_PQ).convertTo(Colour_YCbCr_HLG);
        },
        "convertHDRFromRGB invalid from 13 to 6\n.*tools/Pixel.*`0' failed");
}
