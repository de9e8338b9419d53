#pragma once

// Reference code levels of 8-bit video. A depth of n bits scales each of them
// by 2^(n - 8): studio black 16 becomes 64 at 10 bits and 256 at 12.
namespace CodeLevels {

constexpr int kStudioBlack8 = 16;
constexpr int kStudioLumaRange8 = 219;    // studio black to white
constexpr int kStudioChromaRange8 = 224;  // studio chroma extremes
constexpr int kFullRange8 = 255;

// The largest code at a depth, and the chroma mid-point.
constexpr int maxCode(int bitDepth)
{
    return (1 << bitDepth) - 1;
}

constexpr int midCode(int bitDepth)
{
    return 1 << (bitDepth - 1);
}

// The studio range's legal codes: the lowest and highest codes of the 8-bit
// range (0 and 255 there) are reserved for timing references at every depth.
constexpr int studioLegalLow(int bitDepth)
{
    return 1 << (bitDepth - 8);
}

constexpr int studioLegalHigh(int bitDepth)
{
    return (1 << bitDepth) - (1 << (bitDepth - 8)) - 1;
}

}  // namespace CodeLevels
