#pragma once

#include <climits>
#include <cstdint>

// The canvas geometry is 32-bit integer arithmetic. Large sizes combined with
// unusual aspect ratios can overflow an intermediate product; these helpers
// give the two's-complement wrap of a 32-bit machine instead of undefined
// behaviour, so the result is the same on every host. pm5544 refuses every
// size at which a pattern's products would overflow (PatternSpec::drawableAt):
// the sanitizer build multiplies plainly instead, so that an overflow there
// is reported as the bug it is.
inline int wrappingMultiply(int a, int b)
{
#ifdef PM5544_CHECKED_GEOMETRY
    return a * b;
#else
    return static_cast<int>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
#endif
}

// The product of two non-negative numbers for the bounds of that arithmetic:
// LLONG_MAX when it does not fit 64 bits.
inline long long saturatingMultiply(long long a, long long b)
{
    long long product = 0;
    return __builtin_mul_overflow(a, b, &product) ? LLONG_MAX : product;
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
