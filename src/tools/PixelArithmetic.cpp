// Pixel construction, arithmetic about black and the chroma mid-point,
// reduction to fewer bits, and printing.
#include <cstdint>
#include <cstdio>

#include "tools/CodeLevels.h"
#include "tools/ColourAxes.h"
#include "tools/Pixel.h"
#include "tools/rounding.h"

namespace {

using namespace CodeLevels;  // the reference levels every code value is derived from

constexpr int kDefaultBitDepth = 12;
constexpr bool kStudioRange = false;

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

}  // namespace

Pixel::Pixel() : Pixel(0, 0, 0)
{
    y = sample(blackLevel);
    cb = sample(midCode(bitDepth));
    cr = sample(midCode(bitDepth));
}

Pixel::Pixel(int y, int cb, int cr) : Pixel(y, cb, cr, PatternGen::Colour_YCbCr_709) {}

Pixel::Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes) : Pixel(y, cb, cr, axes, kDefaultBitDepth) {}

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
    const bool alwaysFull = ColourAxes::factsOf(axis).levels == ColourAxes::Levels::AlwaysFull;
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
    if (axis == PatternGen::Colour_RGB_219 || ColourAxes::isHdrRgb(axis)) {
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
    if (!ColourAxes::isKnown(axis)) return result;
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

    result.y = truncToSample(lumaOffset +
                             (lumaWeight * normaliseLuma(y) + (1 - lumaWeight) * normaliseLuma(other.y)) * lumaScale);
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
