#include <cassert>
#include <cmath>
#include <cstdint>

#include "tools/CodeLevels.h"
#include "tools/Pixel.h"

namespace {

using PatternGen::colorAxes_e;

using CodeLevels::kFullRange8;
using CodeLevels::kStudioBlack8;
using CodeLevels::kStudioChromaRange8;
using CodeLevels::kStudioLumaRange8;
using CodeLevels::maxCode;
using CodeLevels::midCode;

// HDR signals are derived from R'G'B' quantised to this depth.
constexpr int kHdrSourceBitDepth = 10;
constexpr int kReducibleBitDepth = 12;

struct Rgb {
    double r;
    double g;
    double b;
};

// Y'CbCr to R'G'B' decoding coefficients: R = Y + crToR Cr, G = Y - cbToG Cb - crToG Cr, B = Y + cbToB Cb.
struct DecodeMatrix {
    double crToR;
    double cbToG;
    double crToG;
    double cbToB;
};

constexpr DecodeMatrix kDecode601{1.402, 0.344136, 0.714136, 1.772};
constexpr DecodeMatrix kDecode709{1.5748, 0.1873242729306488, 0.46812427293064884, 1.8556};
constexpr DecodeMatrix kDecode2020{1.4746, 0.16455312684365778, 0.5713531268436577, 1.8814};

// Luma weights and the chroma divisors (B' - Y') / cbDivisor, (R' - Y') / crDivisor.
struct EncodeMatrix {
    double kr;
    double kg;
    double kb;
    double cbDivisor;
    double crDivisor;
};

constexpr EncodeMatrix kEncode709{0.2126, 0.7152, 0.0722, 1.8556, 1.5748};
constexpr EncodeMatrix kEncode2020{0.2627, 0.678, 0.0593, 1.8814, 1.4746};

// The 601 encoder has its own chroma weights, which do not sum exactly to zero.
constexpr double k601LumaR = 0.299;
constexpr double k601LumaG = 0.587;
constexpr double k601LumaB = 0.114;
constexpr double k601CbR = 0.168736;
constexpr double k601CbG = 0.331264;
constexpr double k601CbB = 0.4997;
constexpr double k601CrR = 0.4988;
constexpr double k601CrG = 0.4185;
constexpr double k601CrB = 0.0813;

constexpr double kChromaHalf = 0.5;

bool isRgbSdr(colorAxes_e axis)
{
    return axis == PatternGen::Colour_RGB || axis == PatternGen::Colour_RGB_219;
}

bool isYCbCrSdr(colorAxes_e axis)
{
    return axis == PatternGen::Colour_YCbCr_601 || axis == PatternGen::Colour_YCbCr_709;
}

bool isYCbCrHdr(colorAxes_e axis)
{
    return (axis >= PatternGen::Colour_YCbCr_PQ && axis <= PatternGen::Colour_YCbCr_HLG_Mapped) ||
           (axis >= PatternGen::Colour_YCbCr_SLog3 && axis <= PatternGen::Colour_YCbCr_SLog3_Live_Mapped);
}

bool isRgbHdrUnmapped(colorAxes_e axis)
{
    return axis >= PatternGen::Colour_RGB_PQ && axis <= PatternGen::Colour_RGB_SLog3_Live;
}

bool isRgbHdrMapped(colorAxes_e axis)
{
    return axis >= PatternGen::Colour_RGB_PQ_Mapped && axis <= PatternGen::Colour_RGB_SLog3_Live_Mapped;
}

bool isRgbHdr(colorAxes_e axis)
{
    return isRgbHdrUnmapped(axis) || isRgbHdrMapped(axis);
}

bool isKnownAxes(colorAxes_e axis)
{
    return axis >= PatternGen::Colour_RGB && axis < PatternGen::Colour_Axes_Count;
}

// Rounds half away from zero; a NaN gives 0 and huge values are held well inside int.
int roundToCode(double value)
{
    if (std::isnan(value)) return 0;
    constexpr double kLimit = 1073741824.0;  // 2^30
    if (value > kLimit) return static_cast<int>(kLimit);
    if (value < -kLimit) return -static_cast<int>(kLimit);
    return static_cast<int>(std::round(value));
}

Rgb readRgb(const Pixel& p)
{
    return {p.normaliseLuma(p.cr), p.normaliseLuma(p.y), p.normaliseLuma(p.cb)};
}

Rgb decodeYCbCr(const Pixel& p, const DecodeMatrix& m)
{
    const double Y = p.normaliseLuma(p.y);
    const double Cb = p.normaliseChroma(p.cb);
    const double Cr = p.normaliseChroma(p.cr);
    return {Y + m.crToR * Cr, Y - m.cbToG * Cb - m.crToG * Cr, Y + m.cbToB * Cb};
}

// R'G'B' of an SDR or Rec. 2020 source, decoded with the matrix of its axes.
Rgb decodeSource(const Pixel& p)
{
    switch (p.axis) {
    case PatternGen::Colour_RGB:
    case PatternGen::Colour_RGB_219:
        return readRgb(p);
    case PatternGen::Colour_YCbCr_601:
        return decodeYCbCr(p, kDecode601);
    case PatternGen::Colour_YCbCr_709:
        return decodeYCbCr(p, kDecode709);
    default:
        return decodeYCbCr(p, kDecode2020);
    }
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

Pixel rgbToYCbCrHdr(const Pixel& source, const Rgb& rgb, colorAxes_e toSpace)
{
    switch (toSpace) {
    case PatternGen::Colour_YCbCr_PQ:
    case PatternGen::Colour_YCbCr_PQ_Mapped:
        return source.convertRGB709toYCbCrPQ(rgb.r, rgb.g, rgb.b, toSpace);
    case PatternGen::Colour_YCbCr_HLG:
    case PatternGen::Colour_YCbCr_HLG_Mapped:
        return source.convertRGB709toYCbCrHLG(rgb.r, rgb.g, rgb.b, toSpace);
    default:
        return source.convertRGB709toYCbCrSLog3(rgb.r, rgb.g, rgb.b, toSpace);
    }
}

// Quantises normalised Y'CbCr into the pixel's depth and range and clips it to the legal codes.
void storeYCbCr(Pixel& p, double luma, double cb, double cr)
{
    const int s = p.bitDepth - 8;
    const int mid = midCode(p.bitDepth);
    int y;
    int chromaScale;
    if (p.fullRange) {
        y = roundToCode((kFullRange8 << s) * luma);
        chromaScale = (kFullRange8 << s) - 1;
    } else {
        y = (kStudioBlack8 << s) + roundToCode((kStudioLumaRange8 << s) * luma);
        chromaScale = kStudioChromaRange8 << s;
    }
    int codeCb = roundToCode(chromaScale * cb) + mid;
    int codeCr = roundToCode(chromaScale * cr) + mid;
    p.limitLuma(y);
    p.limitChroma(codeCb);
    p.limitChroma(codeCr);
    p.y = static_cast<uint16_t>(y);
    p.cb = static_cast<uint16_t>(codeCb);
    p.cr = static_cast<uint16_t>(codeCr);
}

// Black and white by the studio or full rule, whatever the axes.
void setRangeLevels(Pixel& p)
{
    const int s = p.bitDepth - 8;
    p.blackLevel = p.fullRange ? 0 : kStudioBlack8 << s;
    p.whiteLevel = p.fullRange ? kFullRange8 << s : (kStudioBlack8 + kStudioLumaRange8) << s;
}

void assignYCbCr(Pixel& p, const EncodeMatrix& m, double R, double G, double B)
{
    const double luma = (m.kg * G + m.kr * R) + m.kb * B;
    const double cb = ((-m.kr * R) / m.cbDivisor - (m.kg * G) / m.cbDivisor) + kChromaHalf * B;
    const double cr = (-(m.kg * G) / m.crDivisor + kChromaHalf * R) - (m.kb * B) / m.crDivisor;
    storeYCbCr(p, luma, cb, cr);
    setRangeLevels(p);
}

// Full-range R'G'B' holds only 0..1: anything at or above white (or a NaN) is white.
double clampUnit(double value)
{
    if (!(value < 1.0)) return 1.0;
    if (!(value > 0.0)) return 0.0;
    return value;
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
    const int s = bitDepth - 8;
    // Not clamped: excursions above white and below black survive up to the legal limits.
    auto quantise = [&](double value) -> uint16_t {
        int code = fullRange ? roundToCode((kFullRange8 << s) * value)
                             : (kStudioBlack8 << s) + roundToCode((kStudioLumaRange8 << s) * value);
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
    case PatternGen::Colour_RGB:
        result.assignRGBValues(rgb.r, rgb.g, rgb.b);
        break;
    case PatternGen::Colour_RGB_219:
        result.assignRGB219Values(rgb.r, rgb.g, rgb.b);
        break;
    case PatternGen::Colour_YCbCr_601:
        result.assignYCbCr601Values(rgb.r, rgb.g, rgb.b);
        break;
    case PatternGen::Colour_YCbCr_709:
        result.assignYCbCr709Values(rgb.r, rgb.g, rgb.b);
        break;
    case PatternGen::Colour_YCbCr_2020:
        break;  // samples unchanged; the caller widens them to the new depth
    case PatternGen::Colour_YCbCr_PQ:
    case PatternGen::Colour_YCbCr_HLG:
    case PatternGen::Colour_YCbCr_SLog3:
    case PatternGen::Colour_YCbCr_SLog3_Live:
        result = viaRgbIntermediate(*this, rgb, toSpace);
        break;
    default:
        if (isKnownAxes(toSpace)) assert(0);  // mapped and R'G'B' HDR targets are not reachable from here
        break;
    }
    return result;
}

Pixel Pixel::convertTo(PatternGen::colorAxes_e toSpace) const
{
    Pixel result = *this;
    result.setColourSpace(toSpace, bitDepth, fullRange);

    if (axis == PatternGen::Colour_YCbCr_2020) {
        result = convertFromYCbCr2020(toSpace);
    } else if (toSpace == axis || !isKnownAxes(axis)) {
        // unchanged copy
    } else if (isRgbSdr(axis)) {
        if (toSpace == PatternGen::Colour_RGB || toSpace == PatternGen::Colour_RGB_219 || isYCbCrSdr(toSpace)) {
            const Rgb rgb = readRgb(*this);
            switch (toSpace) {
            case PatternGen::Colour_RGB: result.assignRGBValues(rgb.r, rgb.g, rgb.b); break;
            case PatternGen::Colour_RGB_219: result.assignRGB219Values(rgb.r, rgb.g, rgb.b); break;
            case PatternGen::Colour_YCbCr_601: result.assignYCbCr601Values(rgb.r, rgb.g, rgb.b); break;
            default: result.assignYCbCr709Values(rgb.r, rgb.g, rgb.b); break;
            }
        } else if (toSpace == PatternGen::Colour_YCbCr_2020) {
            const Rgb rgb = readRgb(*this);
            result = convertRGB709toYCbCr2020(rgb.r, rgb.g, rgb.b);
        } else if (isYCbCrHdr(toSpace)) {
            result = rgbToYCbCrHdr(*this, readRgbForHdr(*this), toSpace);
        } else if (isRgbHdr(toSpace)) {
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
        } else if (isYCbCrHdr(toSpace)) {
            result = viaRgbIntermediate(*this, rgb, toSpace);
        } else if (isRgbHdr(toSpace)) {
            result = convertRGB709toRGBHDR(rgb.r, rgb.g, rgb.b, toSpace);
        }
    } else if (isYCbCrHdr(axis)) {
        if (toSpace == PatternGen::Colour_RGB) {
            // The HDR signal shown as full-range R'G'B'; no transfer function is undone.
            const Rgb rgb = decodeYCbCr(*this, kDecode2020);
            result.assignRGBValues(rgb.r, rgb.g, rgb.b);
        } else if (isRgbHdr(toSpace)) {
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
