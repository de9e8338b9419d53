#include "rows/PlanarRows.h"

#include <cstddef>

#include "patterns/PatternWrapper.h"
#include "tools/SampleLayout.h"

namespace {

constexpr std::size_t kSamplesPerPixel = SampleLayout::kImageSamplesPerPixel;
constexpr std::size_t kCr = 0, kY = 1, kCb = 2;

}  // namespace

PlanarRows::PlanarRows(PatternSpec& pattern, int width, int height, int bitDepth)
    : rows_(pattern, width, height),
      width_(width > 0 ? width : 0),
      shift_(SampleLayout::kSampleBits - bitDepth),
      chromaStep_(pattern.sampling == PatternGen::Sampling_444 ? 1 : 2),
      chromaWidth_((width_ + chromaStep_ - 1) / chromaStep_),
      everyRowChroma_(pattern.sampling != PatternGen::Sampling_420),
      samples_(static_cast<std::size_t>(width_) * kSamplesPerPixel)
{
    rows_.roundTo(bitDepth);
}

bool PlanarRows::next(uint16_t* luma, uint16_t* cb, uint16_t* cr)
{
    rows_.next(samples_.data());
    const uint16_t* s = samples_.data();
    for (int x = 0; x < width_; ++x) {
        luma[x] = static_cast<uint16_t>(s[static_cast<std::size_t>(x) * kSamplesPerPixel + kY] >> shift_);
    }
    const bool chroma = everyRowChroma_ || row_ % 2 == 0;
    if (chroma) {
        for (int i = 0; i < chromaWidth_; ++i) {
            const std::size_t at =
                static_cast<std::size_t>(i) * static_cast<std::size_t>(chromaStep_) * kSamplesPerPixel;
            cb[i] = static_cast<uint16_t>(s[at + kCb] >> shift_);
            cr[i] = static_cast<uint16_t>(s[at + kCr] >> shift_);
        }
    }
    ++row_;
    return chroma;
}
