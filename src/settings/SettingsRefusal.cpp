#include "settings/SettingsRefusal.h"

#include <numeric>

#include "patterns/PatternWrapper.h"

namespace {

using namespace RunLimits;

std::string sizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

bool bitDepthRefused(const RunSettings& s)
{
    return s.bitDepth < kMinBitDepth || s.bitDepth > kMaxBitDepth;
}

std::string refusalOf(const RunSettings& s, const PatternSpec& pattern)
{
    if (bitDepthRefused(s)) {
        return "Bit depth " + std::to_string(s.bitDepth) + " is not supported (use " + std::to_string(kMinBitDepth) +
               " to " + std::to_string(kMaxBitDepth) + ")";
    }
    if (s.width < kMinWidth || s.height < 1) {
        return "Image size " + sizeText(s.width, s.height) + " is not supported (at least " +
               std::to_string(kMinWidth) + "x1)";
    }
    if (s.aspectWidth < 1 || s.aspectHeight < 1) {
        return "Aspect ratio " + std::to_string(s.aspectWidth) + ":" + std::to_string(s.aspectHeight) +
               " is not supported (two positive numbers)";
    }
    // init doubles the canvas in quadrant mode and reduces the aspect.
    const long long scale = s.quadrant != PatternGen::Quadrant_None ? 2 : 1;
    const int common = std::gcd(s.aspectWidth, s.aspectHeight);
    if (!pattern.drawableAt(scale * s.width, scale * s.height, s.aspectWidth / common, s.aspectHeight / common)) {
        return "Image size " + sizeText(s.width, s.height) + " with aspect " + std::to_string(s.aspectWidth) + ":" +
               std::to_string(s.aspectHeight) + " is too large";
    }
    return "";
}
