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

// A 10-bit full-range R'G'B' pixel: the intermediate the SDR to HDR
// conversions start from.
Pixel rgbSource() { return Pixel(0, 0, 0, Colour_RGB, 10); }

}  // namespace

// ---- Transfer functions ------------------------------------------------

TEST(PqInverseEotf, SdrWhiteAndPeak) {
    EXPECT_DOUBLE_EQ(Pixel::applyPqInverseEOTF(1.0), 0.508078421517399);
    EXPECT_DOUBLE_EQ(Pixel::applyPqInverseEOTF(100.0), 1.0);
}

TEST(PqInverseEotf, ZeroNegativeAndNaNGiveZero) {
    EXPECT_EQ(Pixel::applyPqInverseEOTF(0.0), 0.0);
    EXPECT_EQ(Pixel::applyPqInverseEOTF(-1.0), 0.0);
    EXPECT_EQ(Pixel::applyPqInverseEOTF(kNaN), 0.0);
}

TEST(HlgOetf, SquareRootSegmentAndKnee) {
    EXPECT_EQ(Pixel::applyHlgOETF(1.0 / 12), 0.5);
    EXPECT_DOUBLE_EQ(Pixel::applyHlgOETF(0.03), std::sqrt(0.09));
}

TEST(HlgOetf, LogSegmentTopIsJustBelowOne) {
    double top = Pixel::applyHlgOETF(1.0);
    EXPECT_DOUBLE_EQ(top, 0.9999999955365686);
    EXPECT_LT(top, 1.0);
}

TEST(HlgOetf, BlackNaNAndNegativeGiveZero) {
    EXPECT_EQ(Pixel::applyHlgOETF(0.0), 0.0);
    EXPECT_EQ(Pixel::applyHlgOETF(-0.5), 0.0);
    EXPECT_EQ(Pixel::applyHlgOETF(kNaN), 0.0);
}

TEST(SLog3InverseOotf, PowerUpToThreeLineAbove) {
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(1.0), 1.0);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(3.0), 2.498049532966813);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(4.0), 3.1758052058674355);
}

TEST(SLog3Oetf, BlackAndEighteenPercentGrey) {
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.2, false), 420.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.0, false), 95.0);
}

TEST(SLog3Oetf, NegativesMirrorAboutTheirSegmentOffset) {
    // Logarithmic segment mirrors about 420, linear segment about 95.
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(1.0, true), 242.1047425571988);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.01, true), 34.03176424568);
    double up = Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.01, false);
    EXPECT_DOUBLE_EQ(up - 95.0, 95.0 - 34.03176424568);
}

TEST(SLog3Oetf, SegmentsMeetAtTheKnee) {
    double knee = 0.012499999999999999;
    double below = Pixel::applySLog3OETFAndRestoreAbsolutisedInput(std::nextafter(knee, 0.0), false);
    double at = Pixel::applySLog3OETFAndRestoreAbsolutisedInput(knee, false);
    EXPECT_NEAR(below, at, 0.01);
}

TEST(SLog3Oetf, NegativeOrNaNMagnitudeGivesZero) {
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(-0.5, false), 0.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(kNaN, true), 0.0);
}

// ---- Signs ------------------------------------------------------------------

TEST(AbsoluteRgb, FlagsOnlyValuesBelowZero) {
    double r = -0.25, g = -0.0, b = 0.5;
    Pixel::AbsoluteRGB flags = Pixel::absolutiseRgbInput(r, g, b);
    EXPECT_TRUE(flags.redNegative);
    EXPECT_FALSE(flags.greenNegative);  // -0.0 does not compare below 0
    EXPECT_FALSE(flags.blueNegative);
    EXPECT_EQ(r, 0.25);
    EXPECT_EQ(b, 0.5);

    Pixel::restoreAbsolutisedRgbInput(flags, r, g, b);
    EXPECT_EQ(r, -0.25);
    EXPECT_EQ(b, 0.5);
}

// ---- Primaries matrix -------------------------------------------------------

TEST(Matrix709To2020, LinearisesWithThePixelGammaThenConverts) {
    Pixel gamma24(0, 0, 0, Colour_RGB, 10);  // gamma type 1
    double r = 0.5, g = 0.0, b = 0.0;
    gamma24.applyMatrixRGB709ValuesIn2020(r, g, b);
    double lin = std::pow(0.5, 2.4);
    EXPECT_DOUBLE_EQ(r, 0.6274 * lin);
    EXPECT_DOUBLE_EQ(g, 0.0691 * lin);
    EXPECT_DOUBLE_EQ(b, 0.0164 * lin);
}

TEST(Matrix709To2020, GammaTypeZeroIsNotLinearised) {
    Pixel noGamma(0, 0, 0, Colour_YCbCr_601, 10);
    double r = 0.0, g = 0.0, b = 0.5;
    noGamma.applyMatrixRGB709ValuesIn2020(r, g, b);
    EXPECT_DOUBLE_EQ(r, 0.0433 * 0.5);
    EXPECT_DOUBLE_EQ(g, 0.0114 * 0.5);
    EXPECT_DOUBLE_EQ(b, 0.8956 * 0.5);
}

TEST(Matrix709To2020, WhiteStaysWhite) {
    double r = 1.0, g = 1.0, b = 1.0;
    rgbSource().applyMatrixRGB709ValuesIn2020(r, g, b);
    EXPECT_NEAR(r, 1.0, 1e-15);
    EXPECT_NEAR(g, 1.0, 1e-15);
    EXPECT_NEAR(b, 1.0, 1e-15);
}

// ---- SDR R'G'B' to HDR Y'CbCr --------------------------------------------

TEST(SdrToHdrYCbCr, WhiteInEveryVariant) {
    Pixel src = rgbSource();
    expectCodes(src.convertRGB709toYCbCrPQ(1, 1, 1, Colour_YCbCr_PQ), 509, 512, 512);
    expectCodes(src.convertRGB709toYCbCrPQ(1, 1, 1, Colour_YCbCr_PQ_Mapped), 509, 512, 512);
    expectCodes(src.convertRGB709toYCbCrHLG(1, 1, 1, Colour_YCbCr_HLG), 616, 512, 512);
    expectCodes(src.convertRGB709toYCbCrHLG(1, 1, 1, Colour_YCbCr_HLG_Mapped), 616, 512, 512);
    for (colorAxes_e axes : {Colour_YCbCr_SLog3, Colour_YCbCr_SLog3_Mapped, Colour_YCbCr_SLog3_Live,
                             Colour_YCbCr_SLog3_Live_Mapped}) {
        SCOPED_TRACE(axes);
        expectCodes(src.convertRGB709toYCbCrSLog3(1, 1, 1, axes), 598, 512, 512);
    }
}

TEST(SdrToHdrYCbCr, BlackGoesToTheTransferBlack) {
    Pixel src = rgbSource();
    expectCodes(src.convertRGB709toYCbCrPQ(0, 0, 0, Colour_YCbCr_PQ), 64, 512, 512);
    // HLG black passes through a NaN scene value.
    expectCodes(src.convertRGB709toYCbCrHLG(0, 0, 0, Colour_YCbCr_HLG), 64, 512, 512);
    expectCodes(src.convertRGB709toYCbCrHLG(0, 0, 0, Colour_YCbCr_HLG_Mapped), 64, 512, 512);
    expectCodes(src.convertRGB709toYCbCrSLog3(0, 0, 0, Colour_YCbCr_SLog3), 95, 512, 512);
}

TEST(SdrToHdrYCbCr, Yellow) {
    Pixel src = rgbSource();
    expectCodes(src.convertRGB709toYCbCrPQ(1, 1, 0, Colour_YCbCr_PQ), 483, 284, 530);
    expectCodes(src.convertRGB709toYCbCrPQ(1, 1, 0, Colour_YCbCr_PQ_Mapped), 497, 421, 518);
    expectCodes(src.convertRGB709toYCbCrHLG(1, 1, 0, Colour_YCbCr_HLG), 585, 229, 535);
    expectCodes(src.convertRGB709toYCbCrSLog3(1, 1, 0, Colour_YCbCr_SLog3_Mapped), 581, 390, 520);
}

TEST(SdrToHdrYCbCr, ResultIsTenBitInTheTargetAxes) {
    Pixel src(3760, 3760, 3760, Colour_RGB_219, 12);
    Pixel pq = src.convertRGB709toYCbCrPQ(1, 1, 1, Colour_YCbCr_PQ_Mapped);
    EXPECT_EQ(pq.axis, Colour_YCbCr_PQ_Mapped);
    EXPECT_EQ(pq.bitDepth, 10);
    EXPECT_EQ(pq.blackLevel, 64);
    EXPECT_EQ(pq.whiteLevel, 940);

    Pixel slog = src.convertRGB709toYCbCrSLog3(1, 1, 1, Colour_YCbCr_SLog3_Live);
    EXPECT_EQ(slog.axis, Colour_YCbCr_SLog3_Live);
    EXPECT_EQ(slog.bitDepth, 10);
    EXPECT_EQ(slog.blackLevel, 95);
    EXPECT_EQ(slog.whiteLevel, 1019);
}

TEST(SdrToHdrYCbCr, NegativeInputsKeepTheirSign) {
    Pixel src = rgbSource();
    // A negative blue pushes Cb below the mid-point; its magnitude went through PQ.
    Pixel pq = src.convertRGB709toYCbCrPQ(0, 0, -1, Colour_YCbCr_PQ);
    EXPECT_LT(pq.cb, 512);
    Pixel positive = src.convertRGB709toYCbCrPQ(0, 0, 1, Colour_YCbCr_PQ);
    EXPECT_EQ(pq.cb - 512, 512 - positive.cb);
    // S-Log3 mirrors a negative value about 95 in the linear segment.
    Pixel slog = src.convertRGB709toYCbCrSLog3(-0.01, -0.01, -0.01, Colour_YCbCr_SLog3);
    expectCodes(slog, 34, 512, 512);
}

TEST(SdrToHdrYCbCr, SLog3IsClippedToTheLegalRange) {
    // Far above white the S-Log3 code exceeds 1019.
    Pixel slog = rgbSource().convertRGB709toYCbCrSLog3(1000, 1000, 1000, Colour_YCbCr_SLog3);
    EXPECT_EQ(slog.y, 1019);
}

// ---- HDR R'G'B' ---------------------------------------------------------

TEST(SdrToHdrRgb, Rgb219WhiteGivesTheDecodedHdrWhite) {
    Pixel white(3760, 3760, 3760, Colour_RGB_219, 12);
    Pixel pq = white.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_PQ);
    expectCodes(pq, 2036, 2036, 2036);
    EXPECT_EQ(pq.axis, Colour_RGB_PQ);
    EXPECT_EQ(pq.bitDepth, 12);
    EXPECT_EQ(pq.blackLevel, 256);
    EXPECT_EQ(pq.whiteLevel, 3760);
    expectCodes(white.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_HLG), 2464, 2464, 2464);
    // S-Log3 598 is read back with the studio black 64, not 95.
    expectCodes(white.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_SLog3), 2392, 2392, 2392);
    expectCodes(white.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_SLog3_Live_Mapped), 2392, 2392, 2392);
    EXPECT_EQ(white.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_HLG_Mapped).axis, Colour_RGB_HLG_Mapped);
}

TEST(SdrToHdrRgb, TwelveBitRgbSourceIgnoresThePassedValues) {
    // The values are re-derived from the source samples reduced to 10 bits.
    Pixel white(4095, 4095, 4095, Colour_RGB, 12);
    expectCodes(white.convertRGB709toRGBHDR(0, 0, 0, Colour_RGB_PQ), 2036, 2036, 2036);
}

TEST(SdrToHdrRgb, OtherSourcesUseThePassedValues) {
    Pixel ycc(256, 2048, 2048, Colour_YCbCr_709, 12);  // black, but white is passed
    expectCodes(ycc.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_PQ), 2036, 2036, 2036);
    Pixel tenBit(0, 0, 0, Colour_RGB, 10);
    expectCodes(tenBit.convertRGB709toRGBHDR(1, 1, 1, Colour_RGB_PQ), 2036, 2036, 2036);
}

TEST(HdrYCbCrToRgb, DecodesTheSignalAsTwelveBitRgb219) {
    Pixel pq(509, 512, 512, Colour_YCbCr_PQ, 10);
    Pixel rgb = pq.convertYCbCrHDRToRGB(Colour_RGB_PQ);
    expectCodes(rgb, 2036, 2036, 2036);
    EXPECT_EQ(rgb.axis, Colour_RGB_PQ);
    EXPECT_EQ(rgb.bitDepth, 12);
    Pixel black(95, 512, 512, Colour_YCbCr_SLog3_Mapped, 10);
    // The S-Log3 black code lies above the studio black 64.
    expectCodes(black.convertYCbCrHDRToRGB(Colour_RGB_SLog3_Mapped), 380, 380, 380);
}

TEST(HdrRgbFrom, SameTransferYCbCr) {
    Pixel rgb(2036, 2036, 2036, Colour_RGB_PQ, 12);
    Pixel ycc = rgb.convertHDRFromRGB(Colour_YCbCr_PQ);
    expectCodes(ycc, 2036, 2048, 2048);
    EXPECT_EQ(ycc.axis, Colour_YCbCr_PQ);
    EXPECT_EQ(ycc.bitDepth, 12);
    EXPECT_EQ(Pixel(2464, 2464, 2464, Colour_RGB_HLG, 12).convertHDRFromRGB(Colour_YCbCr_HLG).y, 2464);
    EXPECT_EQ(Pixel(256, 256, 256, Colour_RGB_SLog3_Live, 12).convertHDRFromRGB(Colour_YCbCr_SLog3_Live).y, 256);
}

TEST(HdrRgbFrom, Rgb219RelabelsOnly) {
    Pixel rgb(2036, 1000, 3000, Colour_RGB_SLog3, 12);
    Pixel out = rgb.convertHDRFromRGB(Colour_RGB_219);
    expectCodes(out, 2036, 1000, 3000);
    EXPECT_EQ(out.axis, Colour_RGB_219);
    EXPECT_EQ(out.blackLevel, 256);
}

TEST(HdrRgbFrom, FullRangeRgbRescales) {
    // (2036 - 256) / 3504 of 4095 is 2080.2.
    Pixel out = Pixel(2036, 3760, 256, Colour_RGB_PQ, 12).convertHDRFromRGB(Colour_RGB);
    expectCodes(out, 2080, 4095, 0);
    EXPECT_EQ(out.axis, Colour_RGB);
    EXPECT_EQ(out.whiteLevel, 4095);
}

// ---- Preconditions ------------------------------------------------------

TEST(HdrPreconditionsDeathTest, TransferTargets) {
    Pixel src = rgbSource();
    EXPECT_DEATH(src.convertRGB709toYCbCrPQ(1, 1, 1, Colour_YCbCr_HLG),
                 "tools/Pixel.*pqColourSpace == PatternGen::Colour_YCbCr_PQ");
    EXPECT_DEATH(src.convertRGB709toYCbCrHLG(1, 1, 1, Colour_YCbCr_PQ),
                 "tools/Pixel.*hlgColourSpace == PatternGen::Colour_YCbCr_HLG");
    EXPECT_DEATH(src.convertRGB709toYCbCrSLog3(1, 1, 1, Colour_RGB_SLog3),
                 "tools/Pixel.*slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3");
    EXPECT_DEATH(src.convertRGB709toRGBHDR(1, 1, 1, Colour_YCbCr_PQ), "tools/Pixel.*Assertion `0' failed");
}

TEST(HdrPreconditionsDeathTest, YCbCrToRgbPartner) {
    EXPECT_DEATH(Pixel(509, 512, 512, Colour_YCbCr_PQ, 10).convertYCbCrHDRToRGB(Colour_RGB_PQ_Mapped),
                 "toSpace == PatternGen::Colour_RGB_PQ");
    EXPECT_DEATH(Pixel(509, 512, 512, Colour_YCbCr_SLog3_Live, 10).convertYCbCrHDRToRGB(Colour_RGB_SLog3),
                 "toSpace == PatternGen::Colour_RGB_SLog3_Live");
    EXPECT_DEATH(Pixel(509, 512, 512, Colour_YCbCr_2020, 10).convertYCbCrHDRToRGB(Colour_RGB_PQ),
                 "tools/Pixel.*Assertion `0' failed");
}

TEST(HdrPreconditionsDeathTest, HdrFromRgbUnsupportedPairPrintsThenFails) {
    Pixel rgb(2036, 2036, 2036, Colour_RGB_PQ, 12);
    // The message goes to standard output; send it where the death test looks.
    EXPECT_DEATH(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            rgb.convertHDRFromRGB(Colour_YCbCr_HLG);
        },
        "convertHDRFromRGB invalid from 13 to 6\n.*tools/Pixel.*Assertion `0' failed");
}

// ---- Dispatch through convertTo ----------------------------------------

TEST(HdrDispatch, Ycc709ToHdrYCbCr) {
    Pixel white(3760, 2048, 2048, Colour_YCbCr_709, 12);
    expectCodes(white.convertTo(Colour_YCbCr_PQ), 509, 512, 512);
    expectCodes(white.convertTo(Colour_YCbCr_HLG_Mapped), 616, 512, 512);
    expectCodes(white.convertTo(Colour_YCbCr_SLog3_Live), 598, 512, 512);
    Pixel yellow(3507, 256, 2212, Colour_YCbCr_709, 12);
    expectCodes(yellow.convertTo(Colour_YCbCr_PQ), 483, 284, 530);
    expectCodes(yellow.convertTo(Colour_YCbCr_HLG), 585, 229, 535);
}

TEST(HdrDispatch, RgbToHdrRgbAndBack) {
    Pixel white(3760, 3760, 3760, Colour_RGB_219, 12);
    Pixel pq = white.convertTo(Colour_RGB_PQ);
    expectCodes(pq, 2036, 2036, 2036);
    EXPECT_EQ(pq.bitDepth, 12);
    expectCodes(pq.convertTo(Colour_YCbCr_PQ), 2036, 2048, 2048);
    expectCodes(Pixel(509, 512, 512, Colour_YCbCr_PQ, 10).convertTo(Colour_RGB_PQ), 2036, 2036, 2036);
}
