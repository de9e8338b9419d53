// High-dynamic-range transfer functions and the conversions between SDR
// R'G'B', HDR Y'CbCr and HDR R'G'B'.
//
// Every HDR Y'CbCr result is a 10-bit pixel. The HDR R'G'B' axes carry the
// same signals as their Y'CbCr partners, expressed as 12-bit R'G'B' on the
// 219-step range.
#include <cassert>
#include <cmath>
#include <cstdio>

#include "tools/Pixel.h"

namespace {

// HDR Y'CbCr signals are always produced at this depth.
constexpr int kHdrBitDepth = 10;

// ST 2084 (PQ) constants: m1, m2, c1, c2, c3.
constexpr double kPqM1 = 0.1593017578125;
constexpr double kPqM2 = 78.84375;
constexpr double kPqC1 = 0.8359375;
constexpr double kPqC2 = 18.8515625;
constexpr double kPqC3 = 18.6875;
// The PQ input is in units of 100 cd/m^2, so 100.0 is the 10000 cd/m^2 peak.
constexpr double kPqPeakInput = 100.0;

// HLG OETF constants a, b, c and the end of its square-root segment.
constexpr double kHlgA = 0.17883277;
constexpr double kHlgB = 0.28466892;
constexpr double kHlgC = 0.55991073;
constexpr double kHlgSqrtLimit = 0.08333333333333333;  // 1/12
// SDR white is shown at 100 cd/m^2 on a 1000 cd/m^2 HLG display.
constexpr double kHlgSdrWhiteLuminance = 100.0;
constexpr double kHlgDisplayPeak = 1000.0;
// (1 - 1.2) / 1.2 for the system gamma 1.2, as the single-precision value.
constexpr double kHlgInverseGammaExponent = -0.16666670143604279;

// Rec. 2020 luma weights, used for the display luminance of HLG and for the
// S-Log3 Y'CbCr built straight from code values.
constexpr double kLumaWeightR = 0.2627;
constexpr double kLumaWeightG = 0.678;
constexpr double kLumaWeightB = 0.0593;
constexpr double kCbDivisor = 1.8814;
constexpr double kCrDivisor = 1.4746;
constexpr double kChromaHalf = 0.5;

// S-Log3 inverse OOTF: a 1/1.2 power up to 3.0, a straight line above.
constexpr double kSLog3OotfKnee = 3.0;
constexpr double kSLog3OotfExponent = 0.8333333333333334;  // 1/1.2
constexpr double kSLog3OotfLineOffset = 0.7474385637693104;
constexpr double kSLog3OotfGamma = 1.2;
constexpr double kSLog3OotfLineScale = 1.2457309396155174;

// S-Log3 OETF, producing 10-bit code values. The input is scaled so that
// 1.0 is 90 % reflectance.
constexpr double kSLog3ReflectanceScale = 0.9;
constexpr double kSLog3LinearLimit = 0.012499999999999999;  // 0.01125 / 0.9
constexpr double kSLog3LinearSlope = 6774.248417146666;
constexpr double kSLog3LinearOffset = 95.0;   // code of black
constexpr double kSLog3LogScale = 261.5;
constexpr double kSLog3LogOffset = 420.0;     // code of 18 % grey
constexpr double kSLog3LogBias = 0.01;
constexpr double kSLog3LogDivisor = 0.19;
constexpr int kSLog3BlackCode = 95;

// Rec. 709 primaries to Rec. 2020 primaries (BT.2087, four decimals).
constexpr double kM709To2020RR = 0.6274, kM709To2020RG = 0.3293, kM709To2020RB = 0.0433;
constexpr double kM709To2020GR = 0.0691, kM709To2020GG = 0.9195, kM709To2020GB = 0.0114;
constexpr double kM709To2020BR = 0.0164, kM709To2020BG = 0.088, kM709To2020BB = 0.8956;

// Reduction of a 12-bit R'G'B' source to the 10-bit values HDR is derived from.
constexpr int kRgbSourceBitDepth = 12;
constexpr int kRgbReducedBitDepth = 10;
constexpr int kRgbReductionShift = kRgbSourceBitDepth - kRgbReducedBitDepth;

}  // namespace

double Pixel::applyPqInverseEOTF(double x) {
    // Written as a negated comparison so that a NaN also gives 0.
    if (!(x > 0)) {
        return 0;
    }
    double p = std::pow(x / kPqPeakInput, kPqM1);
    return std::pow((kPqC1 + kPqC2 * p) / (1 + kPqC3 * p), kPqM2);
}

double Pixel::applyHlgOETF(double e) {
    // Black reaches here as a NaN (zero luminance raised to a negative power
    // times zero): the negated comparison maps it to 0.
    if (!(e > 0)) {
        return 0;
    }
    if (e <= kHlgSqrtLimit) {
        return std::pow(3 * e, 0.5);
    }
    return kHlgA * std::log(12 * e - kHlgB) + kHlgC;
}

double Pixel::applySLog3InverseOOTF(double x) {
    if (x <= kSLog3OotfKnee) {
        return std::pow(x, kSLog3OotfExponent);
    }
    return (x + kSLog3OotfLineOffset) / kSLog3OotfGamma / kSLog3OotfLineScale;
}

double Pixel::applySLog3OETFAndRestoreAbsolutisedInput(double x, bool negative) {
    if (!(x >= 0)) {
        return 0;
    }
    double r = kSLog3ReflectanceScale * x;
    double v;
    double offset;
    if (x < kSLog3LinearLimit) {
        v = kSLog3LinearSlope * r;
        offset = kSLog3LinearOffset;
    } else {
        v = kSLog3LogScale * std::log10((r + kSLog3LogBias) / kSLog3LogDivisor);
        offset = kSLog3LogOffset;
    }
    // A negative input is mirrored about the offset of its segment.
    return negative ? offset - v : offset + v;
}

Pixel::AbsoluteRGB Pixel::absolutiseRgbInput(double& R, double& G, double& B) {
    AbsoluteRGB flags;
    flags.redNegative = R < 0;
    flags.greenNegative = G < 0;
    flags.blueNegative = B < 0;
    if (flags.redNegative) {
        R = -R;
    }
    if (flags.greenNegative) {
        G = -G;
    }
    if (flags.blueNegative) {
        B = -B;
    }
    return flags;
}

void Pixel::restoreAbsolutisedRgbInput(const AbsoluteRGB& flags, double& R, double& G, double& B) {
    if (flags.redNegative) {
        R = -R;
    }
    if (flags.greenNegative) {
        G = -G;
    }
    if (flags.blueNegative) {
        B = -B;
    }
}

void Pixel::applyMatrixRGB709ValuesIn2020(double& R, double& G, double& B) const {
    double r = gammaFloatToLinear(R);
    double g = gammaFloatToLinear(G);
    double b = gammaFloatToLinear(B);
    R = (kM709To2020RG * g + kM709To2020RR * r) + kM709To2020RB * b;
    G = (kM709To2020GG * g + kM709To2020GR * r) + kM709To2020GB * b;
    B = (kM709To2020BG * g + kM709To2020BR * r) + kM709To2020BB * b;
}

Pixel Pixel::convertRGB709toYCbCrPQ(double R, double G, double B, PatternGen::colorAxes_e pqColourSpace) const {
    assert(pqColourSpace == PatternGen::Colour_YCbCr_PQ || pqColourSpace == PatternGen::Colour_YCbCr_PQ_Mapped);
    Pixel result = *this;
    result.setColourSpace(pqColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    if (pqColourSpace == PatternGen::Colour_YCbCr_PQ_Mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }
    R = applyPqInverseEOTF(R);
    G = applyPqInverseEOTF(G);
    B = applyPqInverseEOTF(B);
    restoreAbsolutisedRgbInput(flags, R, G, B);

    result.assignYCbCr2020Values(R, G, B);
    return result;
}

Pixel Pixel::convertRGB709toYCbCrHLG(double R, double G, double B, PatternGen::colorAxes_e hlgColourSpace) const {
    assert(hlgColourSpace == PatternGen::Colour_YCbCr_HLG || hlgColourSpace == PatternGen::Colour_YCbCr_HLG_Mapped);
    Pixel result = *this;
    result.setColourSpace(hlgColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    if (hlgColourSpace == PatternGen::Colour_YCbCr_HLG_Mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }

    // Display light of the SDR signal, then the HLG inverse OOTF back to
    // scene light, normalised to the display peak.
    double Fr = kHlgSdrWhiteLuminance * R;
    double Fg = kHlgSdrWhiteLuminance * G;
    double Fb = kHlgSdrWhiteLuminance * B;
    double Ys = (kLumaWeightG * Fg + kLumaWeightR * Fr + kLumaWeightB * Fb) / kHlgDisplayPeak;
    double k = std::pow(Ys, kHlgInverseGammaExponent);
    R = applyHlgOETF((Fr / kHlgDisplayPeak) * k);
    G = applyHlgOETF((Fg / kHlgDisplayPeak) * k);
    B = applyHlgOETF((Fb / kHlgDisplayPeak) * k);
    restoreAbsolutisedRgbInput(flags, R, G, B);

    result.assignYCbCr2020Values(R, G, B);
    return result;
}

Pixel Pixel::convertRGB709toYCbCrSLog3(double R, double G, double B, PatternGen::colorAxes_e slog3ColourSpace) const {
    assert(slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3 || slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Mapped || slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Live || slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Live_Mapped);
    Pixel result = *this;
    result.setColourSpace(slog3ColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    bool mapped = slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Mapped ||
                  slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Live_Mapped;
    bool live = slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Live ||
                slog3ColourSpace == PatternGen::Colour_YCbCr_SLog3_Live_Mapped;
    if (mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }
    if (live) {
        R = applySLog3InverseOOTF(R);
        G = applySLog3InverseOOTF(G);
        B = applySLog3InverseOOTF(B);
    }
    // The OETF puts the signs back itself, by mirroring.
    double Rc = applySLog3OETFAndRestoreAbsolutisedInput(R, flags.redNegative);
    double Gc = applySLog3OETFAndRestoreAbsolutisedInput(G, flags.greenNegative);
    double Bc = applySLog3OETFAndRestoreAbsolutisedInput(B, flags.blueNegative);

    // The OETF already yields 10-bit code values, so the Rec. 2020 matrix is
    // applied to them directly, without the 219 and 224 scaling.
    int mid = 1 << (result.bitDepth - 1);
    int yCode = static_cast<int>(std::round((kLumaWeightG * Gc + kLumaWeightR * Rc) + kLumaWeightB * Bc));
    int cbCode = static_cast<int>(std::round(((-kLumaWeightR * Rc) / kCbDivisor - (kLumaWeightG * Gc) / kCbDivisor) +
                                        kChromaHalf * Bc)) + mid;
    int crCode = static_cast<int>(std::round((-(kLumaWeightG * Gc) / kCrDivisor + kChromaHalf * Rc) -
                                        (kLumaWeightB * Bc) / kCrDivisor)) + mid;
    result.limitLuma(yCode);
    result.limitChroma(cbCode);
    result.limitChroma(crCode);
    result.y = static_cast<uint16_t>(yCode);
    result.cb = static_cast<uint16_t>(cbCode);
    result.cr = static_cast<uint16_t>(crCode);

    int s = result.bitDepth - 8;
    result.blackLevel = kSLog3BlackCode;
    result.whiteLevel = result.fullRange ? (1 << result.bitDepth) - 1 : (1 << result.bitDepth) - (1 << s) - 1;
    return result;
}

Pixel Pixel::convertRGB709toRGBHDR(double R, double G, double B, PatternGen::colorAxes_e toSpace) const {
    // A 12-bit R'G'B' source is reduced to 10 bits first, so that the HDR
    // signal comes from the same quantised values as the HDR Y'CbCr route.
    if ((axis == PatternGen::Colour_RGB || axis == PatternGen::Colour_RGB_219) && bitDepth == kRgbSourceBitDepth) {
        Pixel reduced = *this;
        reduced.setColourSpace(axis, kRgbReducedBitDepth, fullRange);
        R = reduced.normaliseLuma(cr >> kRgbReductionShift);
        G = reduced.normaliseLuma(y >> kRgbReductionShift);
        B = reduced.normaliseLuma(cb >> kRgbReductionShift);
    }

    Pixel signal;
    switch (toSpace) {
        case PatternGen::Colour_RGB_PQ:
            signal = convertRGB709toYCbCrPQ(R, G, B, PatternGen::Colour_YCbCr_PQ);
            break;
        case PatternGen::Colour_RGB_HLG:
            signal = convertRGB709toYCbCrHLG(R, G, B, PatternGen::Colour_YCbCr_HLG);
            break;
        case PatternGen::Colour_RGB_SLog3:
            signal = convertRGB709toYCbCrSLog3(R, G, B, PatternGen::Colour_YCbCr_SLog3);
            break;
        case PatternGen::Colour_RGB_SLog3_Live:
            signal = convertRGB709toYCbCrSLog3(R, G, B, PatternGen::Colour_YCbCr_SLog3_Live);
            break;
        case PatternGen::Colour_RGB_PQ_Mapped:
            signal = convertRGB709toYCbCrPQ(R, G, B, PatternGen::Colour_YCbCr_PQ_Mapped);
            break;
        case PatternGen::Colour_RGB_HLG_Mapped:
            signal = convertRGB709toYCbCrHLG(R, G, B, PatternGen::Colour_YCbCr_HLG_Mapped);
            break;
        case PatternGen::Colour_RGB_SLog3_Mapped:
            signal = convertRGB709toYCbCrSLog3(R, G, B, PatternGen::Colour_YCbCr_SLog3_Mapped);
            break;
        case PatternGen::Colour_RGB_SLog3_Live_Mapped:
            signal = convertRGB709toYCbCrSLog3(R, G, B, PatternGen::Colour_YCbCr_SLog3_Live_Mapped);
            break;
        default:
            assert(0);
            return *this;
    }
    return signal.convertYCbCrHDRToRGB(toSpace);
}

Pixel Pixel::convertYCbCrHDRToRGB(PatternGen::colorAxes_e toSpace) const {
    switch (axis) {
        case PatternGen::Colour_YCbCr_PQ:
            assert(toSpace == PatternGen::Colour_RGB_PQ);
            break;
        case PatternGen::Colour_YCbCr_PQ_Mapped:
            assert(toSpace == PatternGen::Colour_RGB_PQ_Mapped);
            break;
        case PatternGen::Colour_YCbCr_HLG:
            assert(toSpace == PatternGen::Colour_RGB_HLG);
            break;
        case PatternGen::Colour_YCbCr_HLG_Mapped:
            assert(toSpace == PatternGen::Colour_RGB_HLG_Mapped);
            break;
        case PatternGen::Colour_YCbCr_SLog3:
            assert(toSpace == PatternGen::Colour_RGB_SLog3);
            break;
        case PatternGen::Colour_YCbCr_SLog3_Mapped:
            assert(toSpace == PatternGen::Colour_RGB_SLog3_Mapped);
            break;
        case PatternGen::Colour_YCbCr_SLog3_Live:
            assert(toSpace == PatternGen::Colour_RGB_SLog3_Live);
            break;
        case PatternGen::Colour_YCbCr_SLog3_Live_Mapped:
            assert(toSpace == PatternGen::Colour_RGB_SLog3_Live_Mapped);
            break;
        default:
            assert(0);
            return *this;
    }
    // The HDR signal is decoded with the Rec. 2020 matrix as it stands (no
    // transfer function undone) and carried as 12-bit 219-step R'G'B'.
    Pixel signal = *this;
    signal.axis = PatternGen::Colour_YCbCr_2020;
    Pixel result = signal.convertFromYCbCr2020(PatternGen::Colour_RGB_219);
    result.axis = toSpace;
    return result;
}

Pixel Pixel::convertHDRFromRGB(PatternGen::colorAxes_e toSpace) const {
    PatternGen::colorAxes_e sameTransferYCbCr;
    switch (axis) {
        case PatternGen::Colour_RGB_PQ:
            sameTransferYCbCr = PatternGen::Colour_YCbCr_PQ;
            break;
        case PatternGen::Colour_RGB_HLG:
            sameTransferYCbCr = PatternGen::Colour_YCbCr_HLG;
            break;
        case PatternGen::Colour_RGB_SLog3:
            sameTransferYCbCr = PatternGen::Colour_YCbCr_SLog3;
            break;
        case PatternGen::Colour_RGB_SLog3_Live:
            sameTransferYCbCr = PatternGen::Colour_YCbCr_SLog3_Live;
            break;
        default:
            sameTransferYCbCr = PatternGen::Colour_Axes_Count;  // no partner
            break;
    }

    if (toSpace == PatternGen::Colour_RGB_219) {
        Pixel result = *this;
        result.axis = PatternGen::Colour_RGB_219;
        return result;
    }
    if (toSpace == sameTransferYCbCr || toSpace == PatternGen::Colour_RGB) {
        double R = normaliseLuma(cr);
        double G = normaliseLuma(y);
        double B = normaliseLuma(cb);
        Pixel result = *this;
        result.axis = toSpace;
        if (toSpace == PatternGen::Colour_RGB) {
            result.assignRGBValues(R, G, B);
        } else {
            result.assignYCbCr2020Values(R, G, B);
        }
        return result;
    }

    printf("convertHDRFromRGB invalid from %d to %d\n", static_cast<int>(axis), static_cast<int>(toSpace));
    // The abort that follows would lose a buffered message.
    fflush(stdout);
    assert(0);
    return *this;
}
