#include "inspect/measure/Fft.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tools/MathConstants.h"

namespace {

constexpr std::size_t kColumnBlock = 16;

// The factors exp(-+2 pi i k / n) for k < n / 2, made once for a whole 2-D transform.
std::vector<std::complex<double>> twiddlesFor(std::size_t n, bool inverse)
{
    std::vector<std::complex<double>> t(n / 2);
    const double sign = inverse ? 1.0 : -1.0;
    for (std::size_t k = 0; k < t.size(); ++k) {
        t[k] = std::polar(1.0, sign * 2.0 * MathConstants::kPi * static_cast<double>(k) / static_cast<double>(n));
    }
    return t;
}

void transformWith(std::complex<double>* a, std::size_t n, const std::vector<std::complex<double>>& twiddles)
{
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::size_t half = length / 2;
        const std::size_t stride = n / length;  // the table is for n: every stride-th factor is this length's
        for (std::size_t start = 0; start < n; start += length) {
            for (std::size_t k = 0; k < half; ++k) {
                const std::complex<double> u = a[start + k];
                const std::complex<double> v = Fft::times(a[start + k + half], twiddles[k * stride]);
                a[start + k] = u + v;
                a[start + k + half] = u - v;
            }
        }
    }
}

}  // namespace

namespace Fft {

void transform(std::complex<double>* data, std::size_t n, bool inverse)
{
    transformWith(data, n, twiddlesFor(n, inverse));
}

void transform2d(std::vector<std::complex<double>>& data, std::size_t rows, std::size_t columns, bool inverse)
{
    const std::vector<std::complex<double>> alongRows = twiddlesFor(columns, inverse);
    for (std::size_t r = 0; r < rows; ++r) transformWith(&data[r * columns], columns, alongRows);
    // The columns a block at a time, so that each row is read and written a cache line at a time.
    const std::vector<std::complex<double>> alongColumns = twiddlesFor(rows, inverse);
    std::vector<std::complex<double>> block(rows * kColumnBlock);
    for (std::size_t c0 = 0; c0 < columns; c0 += kColumnBlock) {
        const std::size_t width = std::min(kColumnBlock, columns - c0);
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < width; ++c) block[c * rows + r] = data[r * columns + c0 + c];
        }
        for (std::size_t c = 0; c < width; ++c) transformWith(&block[c * rows], rows, alongColumns);
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < width; ++c) data[r * columns + c0 + c] = block[c * rows + r];
        }
    }
}

}  // namespace Fft
