#include "inspect/measure/Fft.h"

#include <cmath>
#include <utility>

#include "tools/MathConstants.h"

namespace Fft {

void transform(std::complex<double>* a, std::size_t n, bool inverse)
{
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    const double sign = inverse ? 1.0 : -1.0;
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = sign * 2.0 * MathConstants::kPi / static_cast<double>(length);
        const std::size_t half = length / 2;
        std::vector<std::complex<double>> twiddle(half);
        for (std::size_t k = 0; k < half; ++k) twiddle[k] = std::polar(1.0, angle * static_cast<double>(k));
        for (std::size_t start = 0; start < n; start += length) {
            for (std::size_t k = 0; k < half; ++k) {
                const std::complex<double> u = a[start + k];
                const std::complex<double> v = a[start + k + half] * twiddle[k];
                a[start + k] = u + v;
                a[start + k + half] = u - v;
            }
        }
    }
}

void transform2d(std::vector<std::complex<double>>& data, std::size_t rows, std::size_t columns, bool inverse)
{
    for (std::size_t r = 0; r < rows; ++r) transform(&data[r * columns], columns, inverse);
    std::vector<std::complex<double>> column(rows);
    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t r = 0; r < rows; ++r) column[r] = data[r * columns + c];
        transform(column.data(), rows, inverse);
        for (std::size_t r = 0; r < rows; ++r) data[r * columns + c] = column[r];
    }
}

}  // namespace Fft
