#pragma once

// Reduction of 16-bit code values to fewer bits. k is the number of low bits
// dropped; every result stays on the 16-bit scale with its low k bits clear.
namespace Rounding {

int roundTo(int k, unsigned int value);
int roundLumaTo(int depth, int k, unsigned int value);
int roundChromaTo(int depth, int k, unsigned int value);

}  // namespace Rounding
