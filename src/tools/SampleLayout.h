#pragma once

#include <cstdint>

// The sample buffers the renderers fill and the writers read.
namespace SampleLayout {

// Every sample is 16 bits; the renderers' code values are 12-bit, held
// left-aligned (at the top of the 16 bits).
constexpr int kSampleBits = 16;
constexpr int kRenderBitDepth = 12;
constexpr int kLeftAlignShift = kSampleBits - kRenderBitDepth;

// The image form (PNG, DPX): Cr or R', Y' or G', Cb or B', alpha.
constexpr int kImageSamplesPerPixel = 4;

// The TIFF form: R', G', B', or Y', Cb, Cr.
constexpr int kTiffSamplesPerPixel = 3;

inline uint16_t leftAligned(uint16_t code)
{
    return static_cast<uint16_t>(code << kLeftAlignShift);
}

}  // namespace SampleLayout
