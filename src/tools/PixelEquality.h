#pragma once

#include <cstddef>
#include <cstdint>

#include "tools/Pixel.h"

// The two ways samples are compared.

// Identical in every field: the whole colour space and the four samples. Two
// identical pixels give identical results in every operation, so a result
// computed for one can be reused for the other.
inline bool identicalPixels(const Pixel& a, const Pixel& b)
{
    return a.y == b.y && a.cb == b.cb && a.cr == b.cr && a.alpha == b.alpha && a.axis == b.axis &&
           a.bitDepth == b.bitDepth && a.fullRange == b.fullRange && a.blackLevel == b.blackLevel &&
           a.whiteLevel == b.whiteLevel && a.gammaType == b.gammaType;
}

// The same colour as the card's edge shaping sees it: axes, depth, the three
// codes and alpha (the rest of the colour space follows from these).
inline bool sameSample(const Pixel& a, const Pixel& b)
{
    return a.y == b.y && a.cb == b.cb && a.cr == b.cr && a.alpha == b.alpha && a.axis == b.axis &&
           a.bitDepth == b.bitDepth;
}

// A hash consistent with identicalPixels.
inline std::size_t pixelHash(const Pixel& p)
{
    uint64_t h = (uint64_t{p.y} << 48) ^ (uint64_t{p.cb} << 32) ^ (uint64_t{p.cr} << 16) ^ p.alpha;
    h ^= (static_cast<uint64_t>(p.axis) << 5) ^ (static_cast<uint64_t>(p.bitDepth) << 11) ^
         (static_cast<uint64_t>(p.fullRange) << 17);
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}
