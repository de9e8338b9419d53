#pragma once

#include <cstddef>

// The layout of a picture as a file holds it, or as the card renders it for
// one: width x height pixels of `components` samples each, in the order the
// renderers fill their buffers (Cr or R, Y' or G, Cb or B, then alpha when
// there is one). A sample holds its code value in its top codeBits bits of
// storedBits. The samples themselves are read a row at a time (FileRows).
struct FrameShape {
    static constexpr int kCrOrR = 0;
    static constexpr int kYOrG = 1;
    static constexpr int kCbOrB = 2;
    static constexpr int kAlpha = 3;
    static constexpr int kMaxComponents = 4;

    int width = 0;
    int height = 0;
    int components = 3;
    int storedBits = 16;
    int codeBits = 12;
    // The pixels the file really holds, from the top left: a 4:2:2 DPX line
    // leaves out the pixels past its last whole group, a file cut short its
    // last lines (known once the rows have been read).
    int presentWidth = 0;
    int presentHeight = 0;

    std::size_t rowSamples() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(components); }
    int code(unsigned stored) const { return static_cast<int>(stored >> (storedBits - codeBits)); }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool present(int x, int y) const { return x >= 0 && y >= 0 && x < presentWidth && y < presentHeight; }
};
