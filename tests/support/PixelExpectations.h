#pragma once

#include <gtest/gtest.h>

#include <array>

#include "tools/Pixel.h"
#include "tools/PixelEquality.h"

// A pixel's three codes in constructor order: Y' or G, Cb or B, Cr or R.
using Codes = std::array<int, 3>;

inline Codes codesOf(const Pixel& p)
{
    return {p.y, p.cb, p.cr};
}

inline Codes codes(int yOrG, int cbOrB, int crOrR)
{
    return {yOrG, cbOrB, crOrR};
}

// The same sample as the card's shaping compares them: the three codes,
// alpha, axes and depth.
inline testing::AssertionResult samePixel(const Pixel& actual, const Pixel& expected)
{
    if (sameSample(actual, expected)) return testing::AssertionSuccess();
    auto text = [](const Pixel& p) {
        return testing::PrintToString(std::array<int, 6>{p.y, p.cb, p.cr, p.alpha, p.axis, p.bitDepth});
    };
    return testing::AssertionFailure() << text(actual) << " differs from " << text(expected);
}
