#pragma once

#include <cstdint>

// The canvas geometry is 32-bit integer arithmetic. Large sizes combined with
// unusual aspect ratios can overflow an intermediate product; these helpers
// give the two's-complement wrap of a 32-bit machine instead of undefined
// behaviour, so the result is the same on every host.
inline int wrappingMultiply(int a, int b)
{
    return static_cast<int>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

inline int wrappingAdd(int a, int b)
{
    return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// The remainder made non-negative by adding the divisor once when it is negative.
inline int positiveModulo(int value, int divisor)
{
    int remainder = value % divisor;
    if (remainder < 0) {
        remainder += divisor;
    }
    return remainder;
}
