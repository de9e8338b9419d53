#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/PatternGen.h"

// A picture as a file holds it, or as the card renders it for one: width x
// height pixels of `components` samples each, in the order the renderers fill
// their buffers (Cr or R, Y' or G, Cb or B, then alpha when there is one). A
// sample holds its code value in its top codeBits bits of storedBits.
struct CodeFrame {
    static constexpr int kCrOrR = 0;
    static constexpr int kYOrG = 1;
    static constexpr int kCbOrB = 2;
    static constexpr int kAlpha = 3;

    // The most pixels a frame is made for: a 16K canvas fits, a size read
    // from a damaged header that would take all memory does not.
    static constexpr long long kMaxPixels = 1LL << 28;

    int width = 0;
    int height = 0;
    int components = 3;
    int storedBits = 16;
    int codeBits = 12;
    // The pixels the file really holds, from the top left: a 4:2:2 DPX line
    // leaves out the pixels past its last whole group, a truncated file its
    // last lines.
    int presentWidth = 0;
    int presentHeight = 0;
    std::vector<uint16_t> samples;

    CodeFrame() = default;
    // All samples zero, all pixels present.
    CodeFrame(int width, int height, int components, int storedBits);

    // Keeps samples for the first `lines` lines only, and marks only those
    // present: a file that ends early takes no memory for what it lacks.
    void holdLines(int lines);

    static bool fits(long long width, long long height) { return width * height <= kMaxPixels; }

    std::size_t index(int x, int y, int component) const
    {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                   static_cast<std::size_t>(components) +
               static_cast<std::size_t>(component);
    }
    uint16_t stored(int x, int y, int component) const { return samples[index(x, y, component)]; }
    uint16_t& stored(int x, int y, int component) { return samples[index(x, y, component)]; }
    int code(int x, int y, int component) const { return stored(x, y, component) >> (storedBits - codeBits); }

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool present(int x, int y) const { return x >= 0 && y >= 0 && x < presentWidth && y < presentHeight; }

    // The fewest top bits that hold every present sample (at least 8, the
    // smallest depth pm5544 renders): 12 for a 12-bit card in 16-bit samples.
    int narrowestCodeBits() const;

    // The chroma sampling the present pixels show: 4:2:2 when every odd pixel
    // repeats the Cr and Cb (red and blue) samples of the pixel before it,
    // 4:2:0 when every odd line also repeats those of the line above.
    PatternGen::sampling_e apparentSampling() const;
};
