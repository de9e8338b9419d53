#include "tools/rounding.h"

#include <climits>

#include "tools/SampleLayout.h"

namespace {

// Half a step of the reduced depth, and the mask that clears the dropped bits.
unsigned int halfStep(int k)
{
    return k == 0 ? 0u : (1u << (k - 1)) & 0xFFFFu;
}

unsigned int keepMask(int k)
{
    return (0xFFFFu << k) & 0xFFFFu;
}

// value + half, held at the top of the unsigned range instead of wrapping, so that a
// negative int argument (a huge unsigned value) always lands above every limit.
unsigned int addHalfStep(unsigned int value, int k)
{
    const unsigned int sum = value + halfStep(k);
    return sum < value ? UINT_MAX : sum;
}

// The top legal luma code at 16 bits: codes above it are reserved for timing references.
constexpr unsigned int kLumaCeiling = 0xFEFF;

}  // namespace

namespace Rounding {

int roundTo(int k, unsigned int value)
{
    const unsigned int mask = keepMask(k);
    const unsigned int sum = addHalfStep(value, k);
    if (sum <= 0xFFFFu) return static_cast<int>(sum & mask);
    return static_cast<int>(mask);  // saturate at the largest multiple of 2^k below 65536
}

int roundLumaTo(int /*depth*/, int k, unsigned int value)
{
    const unsigned int mask = keepMask(k);
    const unsigned int limit = kLumaCeiling & mask;
    const unsigned int sum = addHalfStep(value, k);
    if (sum >= limit) return static_cast<int>(limit);
    return static_cast<int>(sum & mask);
}

int roundChromaTo(int depth, int k, unsigned int value)
{
    const unsigned int mask = keepMask(k);
    const unsigned int low16 = value & 0xFFFFu;
    const bool atOrAboveMid = ((value >> (depth - 1)) & 1u) != 0;
    // Above the mid-point ties round away from it; below it the dropped bits are
    // discarded, so chroma never rounds up towards the mid-point.
    if (atOrAboveMid) {
        const unsigned int sum = low16 + halfStep(k);
        // Full-range chroma within half a step of 65536 saturates instead of wrapping to 0.
        return static_cast<int>(sum <= 0xFFFFu ? (sum & mask) : mask);
    }
    return static_cast<int>(low16 & mask);
}

void roundSamples(uint16_t* samples, std::size_t pixels, PatternGen::colorAxes_e axes, int bitDepth)
{
    constexpr int kSamplesPerPixel = SampleLayout::kImageSamplesPerPixel;
    constexpr int kSourceDepth = SampleLayout::kSampleBits;
    const int shift = kSourceDepth - bitDepth;
    uint16_t* const end = samples + pixels * kSamplesPerPixel;
    if (axes == PatternGen::Colour_RGB) {
        for (uint16_t* p = samples; p != end; ++p) *p = static_cast<uint16_t>(roundTo(shift, *p));
    } else if (axes == PatternGen::Colour_RGB_219) {
        for (uint16_t* p = samples; p != end; ++p) *p = static_cast<uint16_t>(roundLumaTo(kSourceDepth, shift, *p));
    } else {
        for (uint16_t* p = samples; p != end; p += kSamplesPerPixel) {
            p[0] = static_cast<uint16_t>(roundChromaTo(kSourceDepth, shift, p[0]));
            p[1] = static_cast<uint16_t>(roundLumaTo(kSourceDepth, shift, p[1]));
            p[2] = static_cast<uint16_t>(roundChromaTo(kSourceDepth, shift, p[2]));
            p[3] = static_cast<uint16_t>(roundLumaTo(kSourceDepth, shift, p[3]));
        }
    }
}

}  // namespace Rounding
