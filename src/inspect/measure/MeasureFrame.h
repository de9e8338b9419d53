#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/PatternGen.h"

// One picture as the measures read it: three planes of code values at the
// canvas's bit depth, in the order the card's render buffer holds them
// (Cr or R', Y' or G', Cb or B'). A 4:2:2 or 4:2:0 picture carries its chroma
// repeated on the samples that share it, as the file readers expand it.
struct MeasureFrame {
    static constexpr int kCrOrR = 0;
    static constexpr int kYOrG = 1;
    static constexpr int kCbOrB = 2;
    static constexpr int kPlanes = 3;

    // --measure holds two whole frames (the capture and the card) for the
    // registration: an 8K picture, about 400 MiB of both, is the most it takes.
    static constexpr long long kMaxPixels = 7680LL * 4320LL;

    int width = 0;
    int height = 0;
    int bitDepth = 12;
    std::array<std::vector<uint16_t>, kPlanes> planes;

    MeasureFrame() = default;
    MeasureFrame(int width, int height, int bitDepth);

    static bool fits(long long width, long long height)
    {
        return width > 0 && height > 0 && width * height <= kMaxPixels;
    }

    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
    int code(int plane, int x, int y) const { return planes[static_cast<std::size_t>(plane)][index(x, y)]; }
    uint16_t& at(int plane, int x, int y) { return planes[static_cast<std::size_t>(plane)][index(x, y)]; }
    const uint16_t* row(int plane, int y) const { return &planes[static_cast<std::size_t>(plane)][index(0, y)]; }
    uint16_t* row(int plane, int y) { return &planes[static_cast<std::size_t>(plane)][index(0, y)]; }
    bool sameColour(std::size_t i, std::size_t j) const
    {
        return planes[0][i] == planes[0][j] && planes[1][i] == planes[1][j] && planes[2][i] == planes[2][j];
    }
};
