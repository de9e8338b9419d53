#include "tools/ColourSpace.h"

#include "tools/CodeLevels.h"
#include "tools/ColourAxes.h"

#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

using namespace CodeLevels;  // the reference levels every code value is derived from

// S-Log3 Y'CbCr black is code 95 whatever the depth (it is defined on 10-bit codes).
constexpr int kSLog3Black = 95;

using ColourAxes::factsOf;
using ColourAxes::Gamma;
using ColourAxes::Levels;

constexpr int kGammaNone = static_cast<int>(Gamma::None);
constexpr int kGamma2020 = static_cast<int>(Gamma::Rec2020);

// Power-law curves.
constexpr double kOetfExponent = 0.45;
constexpr double kEotfExponent = 2.4;
constexpr double kEotfExponent2020 = 2.2;
constexpr double kInverseEotfExponent = 0.4166666666666667;       // 1 / 2.4
constexpr double kInverseEotfExponent2020 = 0.45454545454545453;  // 1 / 2.2

// The Rec. 2020 (Rec. 709 shaped) OETF: a power law above a linear toe.
constexpr double kRec2020Alpha = 1.0993;
constexpr double kRec2020Beta = 0.0993;
constexpr double kRec2020Knee = 0.0181;
constexpr double kRec2020ToeSlope = 4.5;

double rec2020Oetf(double x)
{
    if (x > kRec2020Knee) return kRec2020Alpha * std::pow(x, kOetfExponent) - kRec2020Beta;
    return kRec2020ToeSlope * x;
}

// The inverse curves are plain powers (not exact inverses of the forward ones); type 0 is no curve,
// and every type but 0 and 2 the power law.
double powerCurve(int gammaType, double x, double exponent2020, double exponentPowerLaw)
{
    switch (gammaType) {
    case kGammaNone: return x;
    case kGamma2020: return std::pow(x, exponent2020);
    default: return std::pow(x, exponentPowerLaw);
    }
}

}  // namespace

ColourSpace::ColourSpace(PatternGen::colorAxes_e axis, int bitDepth, bool fullRange)
{
    setColourSpace(axis, bitDepth, fullRange);
}

void ColourSpace::setColourSpace(PatternGen::colorAxes_e newAxis, int newBitDepth, bool newFullRange)
{
    axis = newAxis;
    bitDepth = newBitDepth;
    fullRange = newFullRange;
    const ColourAxes::Facts& facts = factsOf(axis);
    gammaType = static_cast<int>(facts.gamma);

    switch (facts.levels) {
    case Levels::ByRange: {
        const int s = bitDepth - 8;
        const int studioBlack = kStudioBlack8 << s;
        blackLevel = fullRange ? 0 : studioBlack;
        whiteLevel = fullRange ? kFullRange8 << s : studioBlack + (kStudioLumaRange8 << s);
        break;
    }
    case Levels::AlwaysFull:
        blackLevel = 0;
        whiteLevel = maxCode(bitDepth);
        break;
    case Levels::SLog3:
        blackLevel = kSLog3Black;
        // White stays clear of the reserved top codes in the studio range.
        whiteLevel = fullRange ? maxCode(bitDepth) : studioLegalHigh(bitDepth);
        break;
    }
}

double ColourSpace::normaliseLuma(int code) const
{
    const int s = bitDepth - 8;
    if (factsOf(axis).levels == Levels::AlwaysFull) return static_cast<double>(code) / maxCode(bitDepth);
    if (fullRange) return static_cast<double>(code) / (kFullRange8 << s);
    return static_cast<double>(code - (kStudioBlack8 << s)) / (kStudioLumaRange8 << s);
}

double ColourSpace::normaliseChroma(int code) const
{
    const int s = bitDepth - 8;
    if (factsOf(axis).levels == Levels::AlwaysFull) return static_cast<double>(code) / maxCode(bitDepth);
    const int mid = midCode(bitDepth);
    // Full-range chroma spans one code less than full-range luma so that it is symmetric about mid.
    const int range = fullRange ? (kFullRange8 << s) - 1 : kStudioChromaRange8 << s;
    return static_cast<double>(code - mid) / range;
}

namespace {

bool clip(int& code, int low, int high)
{
    if (code < low) {
        code = low;
        return true;
    }
    if (code > high) {
        code = high;
        return true;
    }
    return false;
}

}  // namespace

bool ColourSpace::limitChroma(int& code) const
{
    if (fullRange) return clip(code, 0, maxCode(bitDepth));
    return clip(code, studioLegalLow(bitDepth), studioLegalHigh(bitDepth));
}

bool ColourSpace::limitLuma(int& code) const
{
    if (factsOf(axis).levels == Levels::AlwaysFull) return clip(code, 0, maxCode(bitDepth));
    return limitChroma(code);
}

bool ColourSpace::isColourDifference() const
{
    return ColourAxes::isYCbCr(axis);
}

bool ColourSpace::colourIsIn2020() const
{
    return factsOf(axis).in2020;
}

bool ColourSpace::colourIsRGB() const
{
    return ColourAxes::isRgb(axis);
}

bool ColourSpace::colourIsHDR() const
{
    return factsOf(axis).hdr;
}

double ColourSpace::linearToGamma(int code) const
{
    // Type 0 hands back the code itself, not its normalised value.
    if (gammaType == kGammaNone) return static_cast<double>(code);
    return linearFloatToGamma(normaliseLuma(code));
}

double ColourSpace::gammaToLinear(int code) const
{
    return powerCurve(gammaType, normaliseLuma(code), kEotfExponent2020, kEotfExponent);
}

double ColourSpace::linearFloatToGamma(double x) const
{
    switch (gammaType) {
    case kGammaNone: return x;
    case kGamma2020: return rec2020Oetf(x);
    default: return std::pow(x, kOetfExponent);
    }
}

// Negative excursions pass the inverse curves through: the powers are not defined for them.
double ColourSpace::gammaFloatToLinear(double x) const
{
    if (x < 0) return x;
    return powerCurve(gammaType, x, kEotfExponent2020, kEotfExponent);
}

double ColourSpace::gammaFloatLinearToNonLinear(double x) const
{
    if (x < 0) return x;
    return powerCurve(gammaType, x, kInverseEotfExponent2020, kInverseEotfExponent);
}

const char* axisToString(const PatternGen::colorAxes_e& axis)
{
    // The stored integer is read as such: a value outside the enumeration (a negative one,
    // say) is not a valid value of the enumeration type and must not be loaded as one.
    std::underlying_type_t<PatternGen::colorAxes_e> raw;
    static_assert(sizeof raw == sizeof axis, "axes are stored as their underlying integer");
    std::memcpy(&raw, &axis, sizeof raw);
    const long long value = static_cast<long long>(raw);
    const bool inside = value >= 0 && value < PatternGen::Colour_Axes_Count;
    return factsOf(inside ? static_cast<PatternGen::colorAxes_e>(value) : PatternGen::Colour_Axes_Count).name;
}
