#pragma once

#include <complex>
#include <cstddef>
#include <vector>

// In-place discrete Fourier transforms of power-of-two lengths.
namespace Fft {

// a x b written out: std::complex's operator* checks for infinities through a library call, which here,
// where nothing is infinite, costs more than the arithmetic.
inline std::complex<double> times(const std::complex<double>& a, const std::complex<double>& b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// One sequence: X[k] = sum x[n] exp(-2 pi i k n / N), or with +i and no
// scaling when `inverse`.
void transform(std::complex<double>* data, std::size_t n, bool inverse);

// A rows x columns array, row after row: every row, then every column.
void transform2d(std::vector<std::complex<double>>& data, std::size_t rows, std::size_t columns, bool inverse);

}  // namespace Fft
