#pragma once

// How the colour conversions turn normalised values into code values and back:
// the quantisation, clipping and level rules every Pixel conversion shares.
// For the conversions in Pixel.cpp only.

#include <cmath>
#include <cstdint>

#include "tools/CodeLevels.h"
#include "tools/ColourMatrices.h"
#include "tools/Pixel.h"

namespace PixelCodes {

using namespace CodeLevels;
using ColourMatrices::DecodeMatrix;
using ColourMatrices::EncodeMatrix;

struct Rgb {
    double r;
    double g;
    double b;
};

// Rounds half away from zero; a NaN gives 0 and huge values are held well inside int.
inline int roundToCode(double value)
{
    if (std::isnan(value)) return 0;
    constexpr double kLimit = 1073741824.0;  // 2^30
    if (value > kLimit) return static_cast<int>(kLimit);
    if (value < -kLimit) return -static_cast<int>(kLimit);
    return static_cast<int>(std::round(value));
}

inline Rgb readRgb(const Pixel& p)
{
    return {p.normaliseLuma(p.cr), p.normaliseLuma(p.y), p.normaliseLuma(p.cb)};
}

inline Rgb decodeYCbCr(const Pixel& p, const DecodeMatrix& m)
{
    const double Y = p.normaliseLuma(p.y);
    const double Cb = p.normaliseChroma(p.cb);
    const double Cr = p.normaliseChroma(p.cr);
    return {Y + m.crToR * Cr, Y - m.cbToG * Cb - m.crToG * Cr, Y + m.cbToB * Cb};
}

// A normalised luma (or studio R'G'B') value as a code of the pixel's depth and range, not yet clipped.
inline int lumaCode(const Pixel& p, double value)
{
    const int s = p.bitDepth - 8;
    if (p.fullRange) return roundToCode((kFullRange8 << s) * value);
    return (kStudioBlack8 << s) + roundToCode((kStudioLumaRange8 << s) * value);
}

// Clips Y'CbCr codes to the legal ones and stores them.
inline void storeCodes(Pixel& p, int y, int cb, int cr)
{
    p.limitLuma(y);
    p.limitChroma(cb);
    p.limitChroma(cr);
    p.y = static_cast<uint16_t>(y);
    p.cb = static_cast<uint16_t>(cb);
    p.cr = static_cast<uint16_t>(cr);
}

// Quantises normalised Y'CbCr into the pixel's depth and range and clips it to the legal codes.
inline void storeYCbCr(Pixel& p, double luma, double cb, double cr)
{
    const int s = p.bitDepth - 8;
    const int mid = midCode(p.bitDepth);
    const int chromaScale = p.fullRange ? (kFullRange8 << s) - 1 : kStudioChromaRange8 << s;
    storeCodes(p, lumaCode(p, luma), roundToCode(chromaScale * cb) + mid, roundToCode(chromaScale * cr) + mid);
}

// Black and white by the studio or full rule, whatever the axes.
inline void setRangeLevels(Pixel& p)
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

inline YCbCr encode(const EncodeMatrix& m, double R, double G, double B)
{
    return {(m.kg * G + m.kr * R) + m.kb * B,
            ((-m.kr * R) / m.cbDivisor - (m.kg * G) / m.cbDivisor) + ColourMatrices::kChromaHalf * B,
            (-(m.kg * G) / m.crDivisor + ColourMatrices::kChromaHalf * R) - (m.kb * B) / m.crDivisor};
}

inline void assignYCbCr(Pixel& p, const EncodeMatrix& m, double R, double G, double B)
{
    const YCbCr v = encode(m, R, G, B);
    storeYCbCr(p, v.y, v.cb, v.cr);
    setRangeLevels(p);
}

// Full-range R'G'B' holds only 0..1: anything at or above white (or a NaN) is white.
inline double clampUnit(double value)
{
    if (!(value < 1.0)) return 1.0;
    if (!(value > 0.0)) return 0.0;
    return value;
}

}  // namespace PixelCodes
