#include "tools/Pixel.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/CodeLevels.h"
#include "tools/ColourAxes.h"
#include "tools/rounding.h"

namespace {

using ColourAxes::Components;
using ColourAxes::factsOf;
using PatternGen::colorAxes_e;

constexpr int kDefaultBitDepth = 12;
constexpr bool kStudioRange = false;

using namespace CodeLevels;  // the reference levels every code value is derived from

// Offsets that print shows chroma against: the 12-bit mid-point, or the 10-bit one for every other depth.
constexpr int kPrintMid12 = 2048;
constexpr int kPrintMidOther = 512;

// Code values are stored in 16 bits; larger results keep their low bits.
uint16_t sample(int value)
{
    return static_cast<uint16_t>(value);
}

// A double taken toward zero to an unsigned 32-bit code, negative (and NaN) giving 0, kept to 16 bits.
uint16_t truncToSample(double value)
{
    if (!(value > 0.0)) return 0;
    constexpr double kUint32Limit = 4294967296.0;
    if (value >= kUint32Limit) return static_cast<uint16_t>(UINT32_MAX);
    return static_cast<uint16_t>(static_cast<uint32_t>(value));
}

// Integer scaling about an origin: adding half before a truncating division rounds
// positive offsets half up and negative ones toward the origin.
int scaleAbout(int origin, int value, int numerator, int denominator)
{
    const int half = denominator / 2;
    return origin + (numerator * (value - origin) + half) / denominator;
}

uint16_t scaleAbout(int origin, int value, double factor)
{
    return truncToSample(origin + (value - origin) * factor);
}

bool isKnownAxes(colorAxes_e axis)
{
    return factsOf(axis).components != Components::None;
}

bool isRgbHdr(colorAxes_e axis)
{
    return factsOf(axis).components == Components::RGB && factsOf(axis).hdr;
}

// Conversions between the SDR axes.

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
    return factsOf(axis).components == Components::RGB && !factsOf(axis).hdr;
}

// Rec. 601 and Rec. 709 Y'CbCr: Y'CbCr on Rec. 709 primaries.
bool isYCbCrSdr(colorAxes_e axis)
{
    return factsOf(axis).components == Components::YCbCr && !factsOf(axis).in2020;
}

bool isYCbCrHdr(colorAxes_e axis)
{
    return factsOf(axis).components == Components::YCbCr && factsOf(axis).hdr;
}

bool isRgbHdrUnmapped(colorAxes_e axis)
{
    return isRgbHdr(axis) && !factsOf(axis).mapped;
}

// Y'CbCr carrying `transfer`.
bool isYCbCrWith(colorAxes_e axis, ColourAxes::Transfer transfer)
{
    return factsOf(axis).components == Components::YCbCr && factsOf(axis).transfer == transfer;
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

// R'G'B' of a source, decoded with the matrix of its axes.
Rgb decodeSource(const Pixel& p)
{
    switch (factsOf(p.axis).matrix) {
    case ColourAxes::Matrix::None:
        return readRgb(p);
    case ColourAxes::Matrix::Rec601:
        return decodeYCbCr(p, kDecode601);
    case ColourAxes::Matrix::Rec709:
        return decodeYCbCr(p, kDecode709);
    case ColourAxes::Matrix::Rec2020:
        break;
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
    case ColourAxes::Transfer::PQ:
        return source.convertRGB709toYCbCrPQ(rgb.r, rgb.g, rgb.b, toSpace);
    case ColourAxes::Transfer::HLG:
        return source.convertRGB709toYCbCrHLG(rgb.r, rgb.g, rgb.b, toSpace);
    case ColourAxes::Transfer::SLog3:
    case ColourAxes::Transfer::None:
        break;
    }
    return source.convertRGB709toYCbCrSLog3(rgb.r, rgb.g, rgb.b, toSpace);
}

// A normalised luma (or studio R'G'B') value as a code of the pixel's depth and range, not yet clipped.
int lumaCode(const Pixel& p, double value)
{
    const int s = p.bitDepth - 8;
    if (p.fullRange) return roundToCode((kFullRange8 << s) * value);
    return (kStudioBlack8 << s) + roundToCode((kStudioLumaRange8 << s) * value);
}

// Clips Y'CbCr codes to the legal ones and stores them.
void storeCodes(Pixel& p, int y, int cb, int cr)
{
    p.limitLuma(y);
    p.limitChroma(cb);
    p.limitChroma(cr);
    p.y = static_cast<uint16_t>(y);
    p.cb = static_cast<uint16_t>(cb);
    p.cr = static_cast<uint16_t>(cr);
}

// Quantises normalised Y'CbCr into the pixel's depth and range and clips it to the legal codes.
void storeYCbCr(Pixel& p, double luma, double cb, double cr)
{
    const int s = p.bitDepth - 8;
    const int mid = midCode(p.bitDepth);
    const int chromaScale = p.fullRange ? (kFullRange8 << s) - 1 : kStudioChromaRange8 << s;
    storeCodes(p, lumaCode(p, luma), roundToCode(chromaScale * cb) + mid, roundToCode(chromaScale * cr) + mid);
}

// Black and white by the studio or full rule, whatever the axes.
void setRangeLevels(Pixel& p)
{
    const int s = p.bitDepth - 8;
    p.blackLevel = p.fullRange ? 0 : kStudioBlack8 << s;
    p.whiteLevel = p.fullRange ? kFullRange8 << s : (kStudioBlack8 + kStudioLumaRange8) << s;
}

struct YCbCr {
    double y;
    double cb;
    double cr;
};

YCbCr encode(const EncodeMatrix& m, double R, double G, double B)
{
    return {(m.kg * G + m.kr * R) + m.kb * B,
            ((-m.kr * R) / m.cbDivisor - (m.kg * G) / m.cbDivisor) + kChromaHalf * B,
            (-(m.kg * G) / m.crDivisor + kChromaHalf * R) - (m.kb * B) / m.crDivisor};
}

void assignYCbCr(Pixel& p, const EncodeMatrix& m, double R, double G, double B)
{
    const YCbCr v = encode(m, R, G, B);
    storeYCbCr(p, v.y, v.cb, v.cr);
    setRangeLevels(p);
}

// Full-range R'G'B' holds only 0..1: anything at or above white (or a NaN) is white.
double clampUnit(double value)
{
    if (!(value < 1.0)) return 1.0;
    if (!(value > 0.0)) return 0.0;
    return value;
}

// High-dynamic-range transfer functions and conversions.

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

// Rec. 709 primaries to Rec. 2020 primaries (BT.2087, four decimals).
constexpr double kM709To2020RR = 0.6274, kM709To2020RG = 0.3293, kM709To2020RB = 0.0433;
constexpr double kM709To2020GR = 0.0691, kM709To2020GG = 0.9195, kM709To2020GB = 0.0114;
constexpr double kM709To2020BR = 0.0164, kM709To2020BG = 0.088, kM709To2020BB = 0.8956;

// The Y'CbCr partner of an R'G'B' HDR axes value: the signal it carries;
// Colour_Axes_Count for any other value.
colorAxes_e yCbCrPartner(colorAxes_e rgbHdr)
{
    return isRgbHdr(rgbHdr) ? factsOf(rgbHdr).partner : PatternGen::Colour_Axes_Count;
}

}  // namespace

// ---- Construction and arithmetic ----

Pixel::Pixel() : Pixel(0, 0, 0)
{
    y = sample(blackLevel);
    cb = sample(midCode(bitDepth));
    cr = sample(midCode(bitDepth));
}

Pixel::Pixel(int y, int cb, int cr) : Pixel(y, cb, cr, PatternGen::Colour_YCbCr_709) {}

Pixel::Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes)
    : Pixel(y, cb, cr, axes, kDefaultBitDepth)
{
}

Pixel::Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes, int bitDepth)
    : Pixel(y, cb, cr, axes, bitDepth, kStudioRange)
{
}

Pixel::Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes, int bitDepth, bool fullRange)
    : ColourSpace(axes, bitDepth, fullRange),
      cb(sample(cb)),
      y(sample(y)),
      cr(sample(cr)),
      alpha(sample(maxCode(bitDepth)))
{
}

Pixel Pixel::operator+(const Pixel& other) const
{
    Pixel result = *this;
    result += other;
    return result;
}

Pixel& Pixel::operator+=(const Pixel& other)
{
    const int chromaOrigin = isColourDifference() ? midCode(bitDepth) : blackLevel;
    y = sample(y + other.y - blackLevel);
    cb = sample(cb + other.cb - chromaOrigin);
    cr = sample(cr + other.cr - chromaOrigin);
    return *this;
}

Pixel Pixel::scale(int numerator, int denominator) const
{
    const int chromaOrigin = isColourDifference() ? midCode(bitDepth) : blackLevel;
    Pixel result = *this;
    result.y = sample(scaleAbout(blackLevel, y, numerator, denominator));
    result.cb = sample(scaleAbout(chromaOrigin, cb, numerator, denominator));
    result.cr = sample(scaleAbout(chromaOrigin, cr, numerator, denominator));
    return result;
}

Pixel Pixel::scale(double factor) const
{
    return scaleLumChrom(factor, factor);
}

Pixel Pixel::scaleLumChrom(double lumaFactor, double chromaFactor) const
{
    const bool colourDifference = isColourDifference();
    const int chromaOrigin = colourDifference ? midCode(bitDepth) : blackLevel;
    const double cFactor = colourDifference ? chromaFactor : lumaFactor;
    Pixel result = *this;
    result.y = scaleAbout(blackLevel, y, lumaFactor);
    result.cb = scaleAbout(chromaOrigin, cb, cFactor);
    result.cr = scaleAbout(chromaOrigin, cr, cFactor);
    return result;
}

Pixel Pixel::scaleWithClip(int numerator, int denominator) const
{
    const bool colourDifference = isColourDifference();
    const int chromaOrigin = colourDifference ? midCode(bitDepth) : blackLevel;
    int newY = scaleAbout(blackLevel, y, numerator, denominator);
    int newCb = scaleAbout(chromaOrigin, cb, numerator, denominator);
    int newCr = scaleAbout(chromaOrigin, cr, numerator, denominator);
    limitLuma(newY);
    if (colourDifference) {
        limitChroma(newCb);
        limitChroma(newCr);
    } else {
        limitLuma(newCb);
        limitLuma(newCr);
    }
    Pixel result = *this;
    result.y = sample(newY);
    result.cb = sample(newCb);
    result.cr = sample(newCr);
    return result;
}

Pixel Pixel::scaleWithGamma(int numerator, int denominator) const
{
    const int s = bitDepth - 8;
    const int range = fullRange ? kFullRange8 : kStudioLumaRange8;
    const bool alwaysFull = factsOf(axis).levels == ColourAxes::Levels::AlwaysFull;
    // Scale in linear light, then re-encode onto this pixel's code range.
    auto scaleLinear = [&](int code) -> uint16_t {
        const double g =
            linearFloatToGamma(static_cast<double>(numerator) * gammaToLinear(code) / static_cast<double>(denominator));
        if (!alwaysFull) return truncToSample(blackLevel + (range << s) * g);
        return truncToSample(maxCode(bitDepth) * g);
    };

    Pixel result = *this;
    result.y = scaleLinear(y);
    if (isColourDifference()) {
        const int mid = midCode(bitDepth);
        result.cb = sample(scaleAbout(mid, cb, numerator, denominator));
        result.cr = sample(scaleAbout(mid, cr, numerator, denominator));
    } else {
        result.cb = scaleLinear(cb);
        result.cr = scaleLinear(cr);
    }
    return result;
}

Pixel Pixel::truncateTo(int newBitDepth) const
{
    Pixel result = *this;
    result.bitDepth = newBitDepth;
    const int d = bitDepth - newBitDepth;
    auto shift = [d](uint16_t value) -> uint16_t {
        if (d > 0) return sample(value >> d);
        if (d < 0) return sample(static_cast<uint32_t>(value) << -d);
        return value;
    };
    result.y = shift(y);
    result.cb = shift(cb);
    result.cr = shift(cr);
    result.alpha = shift(alpha);
    return result;
}

Pixel Pixel::roundTo(int newBitDepth) const
{
    if (bitDepth < newBitDepth) return truncateTo(newBitDepth);

    const int d = bitDepth - newBitDepth;
    // Rounding saturates only at 16 bits; a narrower sample within half a step of the top
    // of its range would round one past the largest code, so it is held at that code.
    // Samples already beyond the range (after an unclipped scale, say) reduce as they are.
    const int sourceTop = maxCode(bitDepth);
    const int top = maxCode(newBitDepth);
    auto reduce = [d, sourceTop, top](uint16_t value, int rounded) -> uint16_t {
        const int code = rounded >> d;
        return sample(value <= sourceTop && code > top ? top : code);
    };

    Pixel result = *this;
    result.bitDepth = newBitDepth;
    result.y = reduce(y, Rounding::roundTo(d, y));
    result.alpha = reduce(alpha, Rounding::roundTo(d, alpha));
    if (isColourDifference()) {
        result.cb = reduce(cb, Rounding::roundChromaTo(bitDepth, d, cb));
        result.cr = reduce(cr, Rounding::roundChromaTo(bitDepth, d, cr));
    } else {
        result.cb = reduce(cb, Rounding::roundTo(d, cb));
        result.cr = reduce(cr, Rounding::roundTo(d, cr));
    }
    return result;
}

Pixel Pixel::subBlack() const
{
    Pixel result = *this;
    const int below = fullRange ? 0 : studioLegalLow(bitDepth);
    if (axis == PatternGen::Colour_RGB_219) {
        result.y = result.cb = result.cr = sample(below);
    } else if (isColourDifference()) {
        result.y = sample(below);
        result.cb = result.cr = sample(midCode(bitDepth));
    }
    return result;
}

Pixel Pixel::superWhite() const
{
    Pixel result = *this;
    const int above = fullRange ? maxCode(bitDepth) : studioLegalHigh(bitDepth);
    if (axis == PatternGen::Colour_RGB_219 || isRgbHdr(axis)) {
        result.y = result.cb = result.cr = sample(above);
    } else if (isColourDifference()) {
        result.y = sample(above);
        result.cb = result.cr = sample(midCode(bitDepth));
    }
    return result;
}

Pixel Pixel::noAlpha() const
{
    Pixel result = *this;
    if (!isKnownAxes(axis)) return result;
    const int s = bitDepth - 8;
    // A key signal is off at black: video black for Y'CbCr and studio R'G'B', the lowest legal code otherwise.
    const bool studioBlackKey = axis == PatternGen::Colour_RGB_219 || isColourDifference();
    const int studioOff = studioBlackKey ? kStudioBlack8 << s : studioLegalLow(bitDepth);
    result.alpha = sample(fullRange ? 0 : studioOff);
    return result;
}

Pixel Pixel::legalise() const
{
    const int low = fullRange ? 0 : studioLegalLow(bitDepth);
    const int high = fullRange ? maxCode(bitDepth) : studioLegalHigh(bitDepth);
    auto clip = [low, high](uint16_t value) -> uint16_t {
        if (value < low) return sample(low);
        if (value > high) return sample(high);
        return value;
    };
    Pixel result = *this;
    result.y = clip(y);
    result.cb = clip(cb);
    result.cr = clip(cr);
    return result;
}

Pixel Pixel::blend(double lumaWeight, double chromaWeight, const Pixel& other) const
{
    Pixel result = *this;
    if (!isColourDifference()) {
        auto mix = [lumaWeight](uint16_t mine, uint16_t theirs) {
            return truncToSample(theirs * (1 - lumaWeight) + mine * lumaWeight);
        };
        result.y = mix(y, other.y);
        result.cb = mix(cb, other.cb);
        result.cr = mix(cr, other.cr);
        return result;
    }

    // Mix in normalised units so that the studio offset and chroma mid-point do not bias the result.
    const int s = bitDepth - 8;
    const double lumaScale = fullRange ? kFullRange8 << s : kStudioLumaRange8 << s;
    const double lumaOffset = fullRange ? 0 : kStudioBlack8 << s;
    const double chromaScale = fullRange ? (kFullRange8 << s) - 1 : kStudioChromaRange8 << s;
    const double mid = midCode(bitDepth);

    result.y = truncToSample(
        lumaOffset + (lumaWeight * normaliseLuma(y) + (1 - lumaWeight) * normaliseLuma(other.y)) * lumaScale);
    result.cb = truncToSample(
        mid + (chromaWeight * normaliseChroma(cb) + (1 - chromaWeight) * normaliseChroma(other.cb)) * chromaScale);
    result.cr = truncToSample(
        mid + (chromaWeight * normaliseChroma(cr) + (1 - chromaWeight) * normaliseChroma(other.cr)) * chromaScale);
    return result;
}

void Pixel::print(const char* prefix) const
{
    if (isColourDifference()) {
        const int m = bitDepth == 12 ? kPrintMid12 : kPrintMidOther;
        printf("%sY: %4d Cb: %4d(%4d) Cr: %4d(%4d)\n", prefix, y, cb - m, cb, cr - m, cr);
    } else {
        printf("%sR: %4d G: %4d B: %4d\n", prefix, cr, y, cb);
    }
}

bool Pixel::printDiff(const char* prefix, const Pixel& reference) const
{
    if (y == reference.y && cb == reference.cb && cr == reference.cr) return false;
    printf("%s", prefix);
    if (y != reference.y) printf("Y %4d %+4d\t", y, y - reference.y);
    if (cb != reference.cb) printf("Cb %4d %+4d\t", cb, cb - reference.cb);
    if (cr != reference.cr) printf("Cr %4d %+4d\t", cr, cr - reference.cr);
    printf("\n");
    return true;
}

// ---- SDR colour conversions ----

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
    case PatternGen::Colour_Axes_Count:
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

// ---- HDR transfer functions and conversions ----
//
// Every HDR Y'CbCr result is a 10-bit pixel. The HDR R'G'B' axes carry the
// same signals as their Y'CbCr partners, expressed as 12-bit R'G'B' on the
// 219-step range.

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

Pixel Pixel::convertRGB709toYCbCrHLG(double R, double G, double B, PatternGen::colorAxes_e hlgColourSpace) const {
    assert(isYCbCrWith(hlgColourSpace, ColourAxes::Transfer::HLG));
    Pixel result = *this;
    result.setColourSpace(hlgColourSpace, kHdrBitDepth, fullRange);

    AbsoluteRGB flags = absolutiseRgbInput(R, G, B);
    if (factsOf(hlgColourSpace).mapped) {
        applyMatrixRGB709ValuesIn2020(R, G, B);
    }

    // Display light of the SDR signal, then the HLG inverse OOTF back to
    // scene light, normalised to the display peak.
    double Fr = kHlgSdrWhiteLuminance * R;
    double Fg = kHlgSdrWhiteLuminance * G;
    double Fb = kHlgSdrWhiteLuminance * B;
    double Ys = (kEncode2020.kg * Fg + kEncode2020.kr * Fr + kEncode2020.kb * Fb) / kHlgDisplayPeak;
    double k = std::pow(Ys, kHlgInverseGammaExponent);
    R = applyHlgOETF((Fr / kHlgDisplayPeak) * k);
    G = applyHlgOETF((Fg / kHlgDisplayPeak) * k);
    B = applyHlgOETF((Fb / kHlgDisplayPeak) * k);
    restoreAbsolutisedRgbInput(flags, R, G, B);

    result.assignYCbCr2020Values(R, G, B);
    return result;
}

Pixel Pixel::convertRGB709toYCbCrSLog3(double R, double G, double B, PatternGen::colorAxes_e slog3ColourSpace) const {
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

Pixel Pixel::convertRGB709toRGBHDR(double R, double G, double B, PatternGen::colorAxes_e toSpace) const {
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

Pixel Pixel::convertYCbCrHDRToRGB(PatternGen::colorAxes_e toSpace) const {
    // Only to the R'G'B' partner of a Y'CbCr HDR signal.
    if (!isYCbCrHdr(axis)) {
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

Pixel Pixel::convertHDRFromRGB(PatternGen::colorAxes_e toSpace) const {
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
