#pragma once

#include <cstddef>
#include <cstdint>

#include "tools/PatternGen.h"

// Reduction of 16-bit code values to fewer bits. k is the number of low bits
// dropped; every result stays on the 16-bit scale with its low k bits clear.
namespace Rounding {

int roundTo(int k, unsigned int value);
int roundLumaTo(int depth, int k, unsigned int value);
int roundChromaTo(int depth, int k, unsigned int value);

// Reduces `pixels` pixels of four left-aligned 16-bit samples, in the order
// the renderers write them, to `bitDepth` bits in place, keeping them
// left-aligned: full-range R'G'B' by the generic rule, studio R'G'B' as luma,
// and (Cr, Y, Cb, alpha) of every other canvas as chroma, luma, chroma, luma.
void roundSamples(uint16_t* samples, std::size_t pixels, PatternGen::colorAxes_e axes, int bitDepth);

}  // namespace Rounding
