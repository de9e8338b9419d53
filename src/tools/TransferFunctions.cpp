// The HDR transfer functions: PQ, HLG and S-Log3, the S-Log3 live forms'
// inverse OOTF, and the inverse curves of the inspector's previews.
#include "tools/TransferFunctions.h"

#include <algorithm>
#include <cmath>

#include "tools/Pixel.h"

using namespace TransferFunctions;

double Pixel::applyPqInverseEOTF(double x)
{
    // Written as a negated comparison so that a NaN also gives 0.
    if (!(x > 0)) {
        return 0;
    }
    double p = std::pow(x / kPqPeak, kPqM1);
    return std::pow((kPqC1 + kPqC2 * p) / (1 + kPqC3 * p), kPqM2);
}

double Pixel::applyHlgOETF(double e)
{
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

double Pixel::applySLog3InverseOOTF(double x)
{
    if (x <= kSLog3OotfKnee) {
        return std::pow(x, kSLog3OotfExponent);
    }
    return (x + kSLog3OotfLineOffset) / kSLog3OotfGamma / kSLog3OotfLineScale;
}

double Pixel::applySLog3OETFAndRestoreAbsolutisedInput(double x, bool negative)
{
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

Pixel::AbsoluteRGB Pixel::absolutiseRgbInput(double& R, double& G, double& B)
{
    AbsoluteRGB flags;
    flags.redNegative = R < 0;
    flags.greenNegative = G < 0;
    flags.blueNegative = B < 0;
    restoreAbsolutisedRgbInput(flags, R, G, B);  // the same negation makes them positive
    return flags;
}

void Pixel::restoreAbsolutisedRgbInput(const AbsoluteRGB& flags, double& R, double& G, double& B)
{
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

namespace TransferFunctions {

double pqToLight(double signal)
{
    if (!(signal > 0)) return 0;
    const double p = std::pow(signal, 1 / kPqM2);
    return kPqPeak * std::pow(std::max(p - kPqC1, 0.0) / (kPqC2 - kPqC3 * p), 1 / kPqM1);
}

double hlgToScene(double signal)
{
    if (!(signal > 0)) return 0;
    if (signal <= kHlgSqrtSignalEnd) return signal * signal / 3;
    return (std::exp((signal - kHlgC) / kHlgA) + kHlgB) / 12;
}

double sLog3ToLight(double code, bool live)
{
    const double reflectance =
        code < kSLog3LinearEndCode
            ? (code - kSLog3LinearOffset) / kSLog3LinearSlope
            : std::pow(10.0, (code - kSLog3LogOffset) / kSLog3LogScale) * kSLog3LogDivisor - kSLog3LogBias;
    const double x = std::max(reflectance / kSLog3ReflectanceScale, 0.0);
    if (!live) return x;
    if (x <= std::pow(kSLog3OotfKnee, 1 / kSLog3OotfGamma)) return std::pow(x, kSLog3OotfGamma);
    return x * kSLog3OotfGamma * kSLog3OotfLineScale - kSLog3OotfLineOffset;
}

}  // namespace TransferFunctions
