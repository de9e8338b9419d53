#pragma once

#include <cstddef>
#include <deque>

// Coefficient i of a ramp table. A step that reaches past the table's end (odd
// ramp windows, or a 4:2:2 chroma table shorter than the luma one) has
// finished its ramp: the new colour is complete.
inline double rampCoefficient(const std::deque<double>& table, int i)
{
    if (i < 0) {
        return 0.0;
    }
    if (static_cast<std::size_t>(i) >= table.size()) {
        return 1.0;
    }
    return table[static_cast<std::size_t>(i)];
}
