#include "patterns/CanvasConversion.h"

#include <cstdint>

namespace {

constexpr int kRenderBitDepth = 12;
constexpr int kNarrowBitDepth = 10;
constexpr int kNarrowToRenderFactor = 4;  // 10-bit to 12-bit code values

// Every field a conversion reads: the whole colour space and the four samples.
bool identical(const Pixel& a, const Pixel& b)
{
    return a.y == b.y && a.cb == b.cb && a.cr == b.cr && a.alpha == b.alpha && a.axis == b.axis &&
           a.bitDepth == b.bitDepth && a.fullRange == b.fullRange && a.blackLevel == b.blackLevel &&
           a.whiteLevel == b.whiteLevel && a.gammaType == b.gammaType;
}

void widenToRenderDepth(Pixel& p)
{
    if (p.bitDepth != kNarrowBitDepth) return;
    p.cb = static_cast<uint16_t>(p.cb * kNarrowToRenderFactor);
    p.y = static_cast<uint16_t>(p.y * kNarrowToRenderFactor);
    p.cr = static_cast<uint16_t>(p.cr * kNarrowToRenderFactor);
    p.alpha = static_cast<uint16_t>(p.alpha * kNarrowToRenderFactor);
    p.bitDepth = kRenderBitDepth;
}

}  // namespace

const Pixel& CanvasConversion::operator()(const Pixel& sample)
{
    if (cached_ && identical(sample, lastInput_)) return lastOutput_;
    lastInput_ = sample;
    lastOutput_ = sample.convertTo(axes_);
    if (depth_ == CodeDepth::Render12Bit) widenToRenderDepth(lastOutput_);
    cached_ = true;
    return lastOutput_;
}
