// Pixel's colour conversions: R'G'B' and Y'CbCr with the Rec. 601, 709 and
// 2020 matrices, and the HDR signals (PQ, HLG, S-Log3) in their Y'CbCr and
// R'G'B' forms. Every Pixel operation that asserts a precondition is here.
#include "tools/Pixel.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/CodeLevels.h"
#include "tools/ColourAxes.h"
#include "tools/ColourMatrices.h"
#include "tools/PixelCodes.h"
#include "tools/TransferFunctions.h"

namespace {

using namespace CodeLevels;  // the reference levels every code value is derived from
using namespace ColourMatrices;
using namespace PixelCodes;
using ColourAxes::factsOf;
using PatternGen::colorAxes_e;

// HDR signals are derived from R'G'B' quantised to this depth.
constexpr int kHdrSourceBitDepth = 10;
constexpr int kReducibleBitDepth = 12;

bool isRgbSdr(colorAxes_e axis)
{
    return ColourAxes::isRgb(axis) && !factsOf(axis).hdr;
}

// Rec. 601 and Rec. 709 Y'CbCr: Y'CbCr on Rec. 709 primaries.
bool isYCbCrSdr(colorAxes_e axis)
{
    return ColourAxes::isYCbCr(axis) && !factsOf(axis).in2020;
}

bool isRgbHdrUnmapped(colorAxes_e axis)
{
    return ColourAxes::isHdrRgb(axis) && !factsOf(axis).mapped;
}

// Y'CbCr carrying `transfer`.
bool isYCbCrWith(colorAxes_e axis, ColourAxes::Transfer transfer)
{
    return ColourAxes::isYCbCr(axis) && factsOf(axis).transfer == transfer;
}

// R'G'B' of a source, decoded with the matrix of its axes.
Rgb decodeSource(const Pixel& p)
{
    switch (factsOf(p.axis).matrix) {
    case ColourAxes::Matrix::None: return readRgb(p);
    case ColourAxes::Matrix::Rec601: return decodeYCbCr(p, kDecode601);
    case ColourAxes::Matrix::Rec709: return decodeYCbCr(p, kDecode709);
    case ColourAxes::Matrix::Rec2020: break;
    }
    return decodeYCbCr(p, kDecode2020);
}

// A 12-bit R'G'B' source is read at 10 bits, so that HDR signals come from 10-bit quantised R'G'B'.
Rgb readRgbForHdr(const Pixel& source)
{
    if (source.bitDepth != kReducibleBitDepth) return readRgb(source);
    constexpr int kDroppedBits = kReducibleBitDepth - kHdrSourceBitDepth;
    Pixel reduced = source;
    reduced.setColourSpace(source.axis, kHdrSourceBitDepth, source.fullRange);
    reduced.cr = static_cast<uint16_t>(source.cr >> kDroppedBits);
    reduced.y = static_cast<uint16_t>(source.y >> kDroppedBits);
    reduced.cb = static_cast<uint16_t>(source.cb >> kDroppedBits);
    return readRgb(reduced);
}

// An SDR Y'CbCr source reaches an HDR Y'CbCr space through 10-bit R'G'B': full-range R'G'B'
// while its luma is nominal, R'G'B' on the 219-step range when it is above white or below
// black, so that the excursion survives.
Pixel viaRgbIntermediate(const Pixel& source, const Rgb& rgb, colorAxes_e toSpace)
{
    const int s = source.bitDepth - 8;
    const int luma = source.y;
    const bool nominal = source.fullRange
                             ? luma <= (kFullRange8 << s)
                             : luma >= (kStudioBlack8 << s) && luma <= ((kStudioBlack8 + kStudioLumaRange8) << s);
    Pixel intermediate = source;
    if (nominal) {
        intermediate.setColourSpace(PatternGen::Colour_RGB, kHdrSourceBitDepth, source.fullRange);
        intermediate.assignRGBValues(rgb.r, rgb.g, rgb.b);
    } else {
        intermediate.setColourSpace(PatternGen::Colour_RGB_219, kHdrSourceBitDepth, source.fullRange);
        intermediate.assignRGB219Values(rgb.r, rgb.g, rgb.b);
    }
    return intermediate.convertTo(toSpace);
}

// To Y'CbCr with the transfer function of `toSpace`; an axes value without one
// goes to the S-Log3 conversion, which refuses it.
Pixel rgbToYCbCrHdr(const Pixel& source, const Rgb& rgb, colorAxes_e toSpace)
{
    switch (factsOf(toSpace).transfer) {
    case ColourAxes::Transfer::PQ: return source.convertRGB709toYCbCrPQ(rgb.r, rgb.g, rgb.b, toSpace);
    case ColourAxes::Transfer::HLG: return source.convertRGB709toYCbCrHLG(rgb.r, rgb.g, rgb.b, toSpace);
    case ColourAxes::Transfer::SLog3:
    case ColourAxes::Transfer::None: break;
    }
    return source.convertRGB709toYCbCrSLog3(rgb.r, rgb.g, rgb.b, toSpace);
}

// HDR Y'CbCr signals are always produced at this depth.
constexpr int kHdrBitDepth = 10;

// The Y'CbCr partner of an R'G'B' HDR axes value: the signal it carries;
// Colour_Axes_Count for any other value.
colorAxes_e yCbCrPartner(colorAxes_e rgbHdr)
{
    return ColourAxes::isHdrRgb(rgbHdr) ? factsOf(rgbHdr).partner : PatternGen::Colour_Axes_Count;
}

}  // namespace

void Pixel::assignRGBValues(double R, double G, double B)
{
    assert(axis == PatternGen::Colour_RGB);
    const int top = maxCode(bitDepth);
    cr = static_cast<uint16_t>(roundToCode(clampUnit(R) * top));
    y = static_cast<uint16_t>(roundToCode(clampUnit(G) * top));
    cb = static_cast<uint16_t>(roundToCode(clampUnit(B) * top));
    blackLevel = 0;
    whiteLevel = top;
}

void Pixel::assignRGB219Values(double R, double G, double B)
{
    assert(axis == PatternGen::Colour_RGB_219);
    // Not clamped: excursions above white and below black survive up to the legal limits.
    auto quantise = [this](double value) -> uint16_t {
        int code = lumaCode(*this, value);
        limitLuma(code);
        return static_cast<uint16_t>(code);
    };
    cr = quantise(R);
    y = quantise(G);
    cb = quantise(B);
    setRangeLevels(*this);
}

void Pixel::assignYCbCr601Values(double R, double G, double B)
{
    assert(axis == PatternGen::Colour_YCbCr_601);
    const double luma = (k601LumaG * G + k601LumaR * R) + k601LumaB * B;
    const double cb = (-k601CbG * G - k601CbR * R) + k601CbB * B;
    const double cr = (-k601CrG * G + k601CrR * R) - k601CrB * B;
    storeYCbCr(*this, luma, cb, cr);
    setRangeLevels(*this);
}

void Pixel::assignYCbCr709Values(double R, double G, double B)
{
    assert(axis == PatternGen::Colour_YCbCr_709);
    assignYCbCr(*this, kEncode709, R, G, B);
}

void Pixel::assignYCbCr2020Values(double R, double G, double B)
{
    assert(colourIsIn2020());
    assignYCbCr(*this, kEncode2020, R, G, B);
}

Pixel Pixel::convertRGB709toYCbCr2020(double R, double G, double B) const
{
    // Only the axes change: depth, levels, gamma type and range stay the source's.
    Pixel result = *this;
    result.axis = PatternGen::Colour_YCbCr_2020;
    result.assignYCbCr2020Values(R, G, B);
    return result;
}

Pixel Pixel::convertFromYCbCr2020(PatternGen::colorAxes_e toSpace) const
{
    constexpr int kResultBitDepth = 12;
    assert(axis == PatternGen::Colour_YCbCr_2020);
    Pixel result = *this;
    result.setColourSpace(toSpace, kResultBitDepth, fullRange);
    const Rgb rgb = decodeYCbCr(*this, kDecode2020);

    switch (toSpace) {
    case PatternGen::Colour_RGB: result.assignRGBValues(rgb.r, rgb.g, rgb.b); break;
    case PatternGen::Colour_RGB_219: result.assignRGB219Values(rgb.r, rgb.g, rgb.b); break;
    case PatternGen::Colour_YCbCr_601: result.assignYCbCr601Values(rgb.r, rgb.g, rgb.b); break;
    case PatternGen::Colour_YCbCr_709: result.assignYCbCr709Values(rgb.r, rgb.g, rgb.b); break;
    case PatternGen::Colour_YCbCr_2020: break;  // samples unchanged; the caller widens them to the new depth
    case PatternGen::Colour_YCbCr_PQ:
    case PatternGen::Colour_YCbCr_HLG:
    case PatternGen::Colour_YCbCr_SLog3:
    case PatternGen::Colour_YCbCr_SLog3_Live: result = viaRgbIntermediate(*this, rgb, toSpace); break;
    case PatternGen::Colour_YCbCr_PQ_Mapped:
    case PatternGen::Colour_YCbCr_HLG_Mapped:
    case PatternGen::Colour_YCbCr_SLog3_Mapped:
    case PatternGen::Colour_YCbCr_SLog3_Live_Mapped:
    case PatternGen::Colour_RGB_PQ:
    case PatternGen::Colour_RGB_HLG:
    case PatternGen::Colour_RGB_SLog3:
    case PatternGen::Colour_RGB_SLog3_Live:
    case PatternGen::Colour_RGB_PQ_Mapped:
    case PatternGen::Colour_RGB_HLG_Mapped:
    case PatternGen::Colour_RGB_SLog3_Mapped:
    case PatternGen::Colour_RGB_SLog3_Live_Mapped:
        assert(0);  // mapped and R'G'B' HDR targets are not reachable from here
        break;
    case PatternGen::Colour_Axes_Count: break;
    }
    return result;
}

Pixel Pixel::convertTo(PatternGen::colorAxes_e toSpace) const
{
    Pixel result = *this;
    result.setColourSpace(toSpace, bitDepth, fullRange);

    if (axis == PatternGen::Colour_YCbCr_2020) {
        result = convertFromYCbCr2020(toSpace);
    } else if (toSpace == axis || !ColourAxes::isKnown(axis)) {
        // unchanged copy
    } else if (isRgbSdr(axis)) {
        if (toSpace == PatternGen::Colour_RGB || toSpace == PatternGen::Colour_RGB_219 || isYCbCrSdr(toSpace)) {
            const Rgb rgb = readRgb(*this);
            if (toSpace == PatternGen::Colour_RGB) {
                result.assignRGBValues(rgb.r, rgb.g, rgb.b);
            } else if (toSpace == PatternGen::Colour_RGB_219) {
                result.assignRGB219Values(rgb.r, rgb.g, rgb.b);
            } else if (toSpace == PatternGen::Colour_YCbCr_601) {
                result.assignYCbCr601Values(rgb.r, rgb.g, rgb.b);
            } else {
                result.assignYCbCr709Values(rgb.r, rgb.g, rgb.b);
            }
        } else if (toSpace == PatternGen::Colour_YCbCr_2020) {
            const Rgb rgb = readRgb(*this);
            result = convertRGB709toYCbCr2020(rgb.r, rgb.g, rgb.b);
        } else if (ColourAxes::isHdrYCbCr(toSpace)) {
            result = rgbToYCbCrHdr(*this, readRgbForHdr(*this), toSpace);
        } else if (ColourAxes::isHdrRgb(toSpace)) {
            const Rgb rgb = readRgb(*this);
            result = convertRGB709toRGBHDR(rgb.r, rgb.g, rgb.b, toSpace);
        }
    } else if (isYCbCrSdr(axis)) {
        const Rgb rgb = decodeSource(*this);
        if (toSpace == PatternGen::Colour_RGB) {
            result.assignRGBValues(rgb.r, rgb.g, rgb.b);
        } else if (toSpace == PatternGen::Colour_RGB_219) {
            result.assignRGB219Values(rgb.r, rgb.g, rgb.b);
        } else if (isYCbCrSdr(toSpace)) {
            assert(axis == toSpace);  // no matrix change between 601 and 709
        } else if (toSpace == PatternGen::Colour_YCbCr_2020) {
            result = convertRGB709toYCbCr2020(rgb.r, rgb.g, rgb.b);
        } else if (ColourAxes::isHdrYCbCr(toSpace)) {
            result = viaRgbIntermediate(*this, rgb, toSpace);
        } else if (ColourAxes::isHdrRgb(toSpace)) {
            result = convertRGB709toRGBHDR(rgb.r, rgb.g, rgb.b, toSpace);
        }
    } else if (ColourAxes::isHdrYCbCr(axis)) {
        if (toSpace == PatternGen::Colour_RGB) {
            // The HDR signal shown as full-range R'G'B'; no transfer function is undone.
            const Rgb rgb = decodeYCbCr(*this, kDecode2020);
            result.assignRGBValues(rgb.r, rgb.g, rgb.b);
        } else if (ColourAxes::isHdrRgb(toSpace)) {
            result = convertYCbCrHDRToRGB(toSpace);
        } else {
            assert(axis == toSpace);
        }
    } else if (isRgbHdrUnmapped(axis)) {
        result = convertHDRFromRGB(toSpace);
    } else {
        assert(axis == toSpace);  // mapped R'G'B' HDR cannot be converted back
    }

    // HDR results are 10 bits and Rec. 2020 results 12: widen alpha (and the samples of an
    // unchanged copy) when the result is deeper than the source.
    const int widen = result.bitDepth - bitDepth;
    if (widen > 0) {
        const int sourceTop = maxCode(bitDepth);
        result.alpha = alpha == sourceTop ? static_cast<uint16_t>(maxCode(result.bitDepth))
                                          : static_cast<uint16_t>(alpha << widen);
        if (toSpace == axis) {
            result.cr = static_cast<uint16_t>(cr << widen);
            result.y = static_cast<uint16_t>(y << widen);
            result.cb = static_cast<uint16_t>(cb << widen);
        }
    } else if (widen < 0) {
        result.alpha = alpha;
    }
    return result;
}

// ---- HDR conversions ----
//
// Every HDR Y'CbCr result is a 10-bit pixel. The HDR R'G'B' axes carry the
// same signals as their Y'CbCr partners, expressed as 12-bit R'G'B' on the
// 219-step range.

void Pixel::applyMatrixRGB709ValuesIn2020(double& R, double& G, double& B) const
{
    double r = gammaFloatToLinear(R);
    double g = gammaFloatToLinear(G);
    double b = gammaFloatToLinear(B);
    R = (kM709To2020RG * g + kM709To2020RR * r) + kM709To2020RB * b;
    G = (kM709To2020GG * g + kM709To2020GR * r) + kM709To2020GB * b;
    B = (kM709To2020BG * g + kM709To2020BR * r) + kM709To2020BB * b;
}

Pixel Pixel::convertRGB709toYCbCrPQ(double R, double G, double B, PatternGen::colorAxes_e pqColourSpace) const
{
    assert(isYCbCrWith(pqColourSpace, ColourAxes::Transfer::PQ));
    Pixel result = *this;
    result.setColourSpace(pqColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    if (factsOf(pqColourSpace).mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }
    R = applyPqInverseEOTF(R);
    G = applyPqInverseEOTF(G);
    B = applyPqInverseEOTF(B);
    restoreAbsolutisedRgbInput(flags, R, G, B);

    result.assignYCbCr2020Values(R, G, B);
    return result;
}

Pixel Pixel::convertRGB709toYCbCrHLG(double R, double G, double B, PatternGen::colorAxes_e hlgColourSpace) const
{
    assert(isYCbCrWith(hlgColourSpace, ColourAxes::Transfer::HLG));
    Pixel result = *this;
    result.setColourSpace(hlgColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    if (factsOf(hlgColourSpace).mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }

    // Display light of the SDR signal, then the HLG inverse OOTF back to
    // scene light, normalised to the display peak.
    double Fr = TransferFunctions::kHlgSdrWhiteLuminance * R;
    double Fg = TransferFunctions::kHlgSdrWhiteLuminance * G;
    double Fb = TransferFunctions::kHlgSdrWhiteLuminance * B;
    double Ys = (kEncode2020.kg * Fg + kEncode2020.kr * Fr + kEncode2020.kb * Fb) / TransferFunctions::kHlgDisplayPeak;
    double k = std::pow(Ys, TransferFunctions::kHlgInverseGammaExponent);
    R = applyHlgOETF((Fr / TransferFunctions::kHlgDisplayPeak) * k);
    G = applyHlgOETF((Fg / TransferFunctions::kHlgDisplayPeak) * k);
    B = applyHlgOETF((Fb / TransferFunctions::kHlgDisplayPeak) * k);
    restoreAbsolutisedRgbInput(flags, R, G, B);

    result.assignYCbCr2020Values(R, G, B);
    return result;
}

Pixel Pixel::convertRGB709toYCbCrSLog3(double R, double G, double B, PatternGen::colorAxes_e slog3ColourSpace) const
{
    assert(isYCbCrWith(slog3ColourSpace, ColourAxes::Transfer::SLog3));
    Pixel result = *this;
    result.setColourSpace(slog3ColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    if (factsOf(slog3ColourSpace).mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }
    if (factsOf(slog3ColourSpace).live) {
        R = applySLog3InverseOOTF(R);
        G = applySLog3InverseOOTF(G);
        B = applySLog3InverseOOTF(B);
    }
    // The OETF puts the signs back itself, by mirroring.
    double Rc = applySLog3OETFAndRestoreAbsolutisedInput(R, flags.redNegative);
    double Gc = applySLog3OETFAndRestoreAbsolutisedInput(G, flags.greenNegative);
    double Bc = applySLog3OETFAndRestoreAbsolutisedInput(B, flags.blueNegative);

    // The OETF already yields 10-bit code values, so the Rec. 2020 matrix is
    // applied to them directly, without the 219 and 224 scaling. The black and
    // white levels are those the S-Log3 axes set.
    const int mid = midCode(result.bitDepth);
    const YCbCr v = encode(kEncode2020, Rc, Gc, Bc);
    storeCodes(result, static_cast<int>(std::round(v.y)), static_cast<int>(std::round(v.cb)) + mid,
               static_cast<int>(std::round(v.cr)) + mid);
    return result;
}

Pixel Pixel::convertRGB709toRGBHDR(double R, double G, double B, PatternGen::colorAxes_e toSpace) const
{
    // A 12-bit R'G'B' source is reduced to 10 bits first, so that the HDR
    // signal comes from the same quantised values as the HDR Y'CbCr route.
    const Rgb rgb = isRgbSdr(axis) && bitDepth == kReducibleBitDepth ? readRgbForHdr(*this) : Rgb{R, G, B};
    const colorAxes_e partner = yCbCrPartner(toSpace);
    if (partner == PatternGen::Colour_Axes_Count) {
        assert(0);
        return *this;
    }
    const Pixel signal = rgbToYCbCrHdr(*this, rgb, partner);
    return signal.convertYCbCrHDRToRGB(toSpace);
}

Pixel Pixel::convertYCbCrHDRToRGB(PatternGen::colorAxes_e toSpace) const
{
    // Only to the R'G'B' partner of a Y'CbCr HDR signal.
    if (!ColourAxes::isHdrYCbCr(axis)) {
        assert(0);
        return *this;
    }
    assert(toSpace == factsOf(axis).partner);
    // The HDR signal is decoded with the Rec. 2020 matrix as it stands (no
    // transfer function undone) and carried as 12-bit 219-step R'G'B'.
    Pixel signal = *this;
    signal.axis = PatternGen::Colour_YCbCr_2020;
    Pixel result = signal.convertFromYCbCr2020(PatternGen::Colour_RGB_219);
    result.axis = toSpace;
    return result;
}

Pixel Pixel::convertHDRFromRGB(PatternGen::colorAxes_e toSpace) const
{
    // Mapped R'G'B' HDR has no way back to its Y'CbCr partner.
    const colorAxes_e sameTransferYCbCr = isRgbHdrUnmapped(axis) ? yCbCrPartner(axis) : PatternGen::Colour_Axes_Count;

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
