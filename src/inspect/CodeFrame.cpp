#include "inspect/CodeFrame.h"

namespace {

constexpr int kSmallestRenderedDepth = 8;

}  // namespace

CodeFrame::CodeFrame(int width, int height, int components, int storedBits)
    : width(width),
      height(height),
      components(components),
      storedBits(storedBits),
      codeBits(storedBits),
      presentWidth(width),
      presentHeight(height),
      samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(components))
{
}

void CodeFrame::holdLines(int lines)
{
    presentHeight = lines;
    samples.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(lines) *
                   static_cast<std::size_t>(components));
}

int CodeFrame::narrowestCodeBits() const
{
    unsigned used = 0;
    for (int y = 0; y < presentHeight; ++y) {
        for (int x = 0; x < presentWidth; ++x) {
            for (int c = 0; c < components; ++c) used |= stored(x, y, c);
        }
    }
    int bits = storedBits;
    while (bits > kSmallestRenderedDepth && (used & (1u << (storedBits - bits))) == 0) --bits;
    return bits;
}

PatternGen::sampling_e CodeFrame::apparentSampling() const
{
    bool pairs = presentWidth >= 2;
    bool linePairs = presentHeight >= 2;
    for (int y = 0; y < presentHeight && pairs; ++y) {
        for (int x = 0; x < presentWidth; ++x) {
            for (int c : {kCrOrR, kCbOrB}) {
                pairs = pairs && ((x & 1) == 0 || stored(x, y, c) == stored(x - 1, y, c));
                linePairs = linePairs && ((y & 1) == 0 || stored(x, y, c) == stored(x, y - 1, c));
            }
        }
    }
    if (!pairs) return PatternGen::Sampling_444;
    return linePairs ? PatternGen::Sampling_420 : PatternGen::Sampling_422;
}
