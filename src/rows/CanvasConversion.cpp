#include "rows/CanvasConversion.h"

#include <cstdint>

#include "tools/PixelEquality.h"
#include "tools/SampleLayout.h"

namespace {

using SampleLayout::kRenderBitDepth;
constexpr int kNarrowBitDepth = 10;
constexpr int kNarrowToRenderFactor = 4;  // 10-bit to 12-bit code values

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
    if (cached_ && identicalPixels(sample, lastInput_)) return lastOutput_;
    lastInput_ = sample;
    lastOutput_ = sample.convertTo(axes_);
    if (depth_ == CodeDepth::Render12Bit) widenToRenderDepth(lastOutput_);
    cached_ = true;
    return lastOutput_;
}
