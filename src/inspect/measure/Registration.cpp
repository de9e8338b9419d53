#include "inspect/measure/Registration.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <vector>

#include "inspect/measure/Fft.h"
#include "tools/MathConstants.h"

namespace {

using Complex = std::complex<double>;

constexpr int kLargestSide = 512;  // of the correlated window: enough of the card, at a bounded cost
constexpr double kWholeWithin = 0.005;
constexpr double kTiny = 1e-300;

// The refinement: a grid of offsets about a centre, `steps` each way, `step` apart.
constexpr int kSteps = 10;
constexpr double kCoarseStep = 0.1;
constexpr double kFineStep = 0.01;

int powerOfTwoAtMost(int n)
{
    int p = 1;
    while (p * 2 <= n && p * 2 <= kLargestSide) p *= 2;
    return p;
}

// The luma of the window, less its mean, under a Hann taper that keeps the window's edges out of the correlation.
std::vector<Complex> taperedWindow(const MeasureFrame& f, const MeasureCanvas& canvas, int x0, int y0, int nx, int ny)
{
    std::vector<double> values(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
    double sum = 0;
    for (int y = 0; y < ny; ++y) {
        for (int x = 0; x < nx; ++x) {
            const double v = canvas.luma(f, f.index(x0 + x, y0 + y));
            values[static_cast<std::size_t>(y) * nx + x] = v;
            sum += v;
        }
    }
    const double mean = sum / static_cast<double>(values.size());
    std::vector<double> taperX(static_cast<std::size_t>(nx));
    std::vector<double> taperY(static_cast<std::size_t>(ny));
    for (int x = 0; x < nx; ++x)
        taperX[static_cast<std::size_t>(x)] = 0.5 - 0.5 * std::cos(2.0 * MathConstants::kPi * x / nx);
    for (int y = 0; y < ny; ++y)
        taperY[static_cast<std::size_t>(y)] = 0.5 - 0.5 * std::cos(2.0 * MathConstants::kPi * y / ny);
    std::vector<Complex> out(values.size());
    for (int y = 0; y < ny; ++y) {
        for (int x = 0; x < nx; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * nx + x;
            out[i] = (values[i] - mean) * taperX[static_cast<std::size_t>(x)] * taperY[static_cast<std::size_t>(y)];
        }
    }
    return out;
}

int signedFrequency(int k, int n)
{
    return k < n / 2 ? k : k - n;
}

// The cross-correlation at the offsets (cx + i step, cy + j step), |i|, |j| <= kSteps, evaluated directly from
// the cross-power spectrum; returns the offset of the largest value, refined by a parabola through its neighbours.
void refine(const std::vector<Complex>& spectrum, int nx, int ny, double& cx, double& cy, double step)
{
    const int k = 2 * kSteps + 1;
    std::vector<Complex> kernelX(static_cast<std::size_t>(k) * nx);
    std::vector<Complex> kernelY(static_cast<std::size_t>(k) * ny);
    for (int i = 0; i < k; ++i) {
        const double sx = cx + (i - kSteps) * step;
        const double sy = cy + (i - kSteps) * step;
        for (int u = 0; u < nx; ++u)
            kernelX[static_cast<std::size_t>(i) * nx + u] =
                std::polar(1.0, 2.0 * MathConstants::kPi * signedFrequency(u, nx) * sx / nx);
        for (int v = 0; v < ny; ++v)
            kernelY[static_cast<std::size_t>(i) * ny + v] =
                std::polar(1.0, 2.0 * MathConstants::kPi * signedFrequency(v, ny) * sy / ny);
    }
    // partial[i][v] = sum over u of spectrum[v][u] kernelX[i][u]
    std::vector<Complex> partial(static_cast<std::size_t>(k) * ny);
    for (int v = 0; v < ny; ++v) {
        const Complex* row = &spectrum[static_cast<std::size_t>(v) * nx];
        for (int i = 0; i < k; ++i) {
            const Complex* kx = &kernelX[static_cast<std::size_t>(i) * nx];
            double re = 0;
            double im = 0;
            for (int u = 0; u < nx; ++u) {
                re += row[u].real() * kx[u].real() - row[u].imag() * kx[u].imag();
                im += row[u].real() * kx[u].imag() + row[u].imag() * kx[u].real();
            }
            partial[static_cast<std::size_t>(i) * ny + v] = Complex(re, im);
        }
    }
    std::vector<double> surface(static_cast<std::size_t>(k) * k);
    int best = 0;
    for (int j = 0; j < k; ++j) {
        for (int i = 0; i < k; ++i) {
            Complex sum = 0;
            for (int v = 0; v < ny; ++v)
                sum += Fft::times(partial[static_cast<std::size_t>(i) * ny + v],
                                  kernelY[static_cast<std::size_t>(j) * ny + v]);
            surface[static_cast<std::size_t>(j) * k + i] = sum.real();
            if (sum.real() > surface[static_cast<std::size_t>(best)]) best = j * k + i;
        }
    }
    const int bi = best % k;
    const int bj = best / k;
    auto at = [&](int i, int j) { return surface[static_cast<std::size_t>(j) * k + i]; };
    auto vertex = [](double left, double middle, double right) {
        const double curve = left - 2.0 * middle + right;
        return curve < 0 ? 0.5 * (left - right) / curve : 0.0;
    };
    double fx = 0;
    double fy = 0;
    if (bi > 0 && bi < k - 1) fx = vertex(at(bi - 1, bj), at(bi, bj), at(bi + 1, bj));
    if (bj > 0 && bj < k - 1) fy = vertex(at(bi, bj - 1), at(bi, bj), at(bi, bj + 1));
    cx += (bi - kSteps + fx) * step;
    cy += (bj - kSteps + fy) * step;
}

// The correlation coefficient of the card's luma over the window and the
// capture's moved by (tx, ty), over the part of the window the capture holds.
double lumaCorrelation(const MeasureFrame& capture, const MeasureFrame& card, const MeasureCanvas& canvas, int x0,
                       int y0, int nx, int ny, int tx, int ty)
{
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    long long n = 0;
    for (int y = std::max(y0, -ty); y < std::min(y0 + ny, capture.height - ty); ++y) {
        for (int x = std::max(x0, -tx); x < std::min(x0 + nx, capture.width - tx); ++x) {
            const double a = canvas.luma(capture, capture.index(x + tx, y + ty));
            const double b = canvas.luma(card, card.index(x, y));
            sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b;
            ++n;
        }
    }
    if (n == 0) return 0;
    const double count = static_cast<double>(n);
    const double covariance = sab - sa * sb / count;
    const double captureSpread = saa - sa * sa / count;
    const double cardSpread = sbb - sb * sb / count;
    // A card too small to hold more than one level there tells nothing.
    if (!(cardSpread > 0)) return std::numeric_limits<double>::quiet_NaN();
    if (!(captureSpread > 0)) return 0;
    return covariance / std::sqrt(captureSpread * cardSpread);
}

}  // namespace

int Registration::wholeDx() const
{
    return static_cast<int>(std::lround(dx));
}

int Registration::wholeDy() const
{
    return static_cast<int>(std::lround(dy));
}

bool Registration::whole() const
{
    return dx == std::round(dx) && dy == std::round(dy);
}

Registration measureRegistration(const MeasureFrame& capture, const MeasureFrame& card, const MeasureCanvas& canvas)
{
    const int nx = powerOfTwoAtMost(card.width);
    const int ny = powerOfTwoAtMost(card.height);
    const std::size_t rows = static_cast<std::size_t>(ny);
    const std::size_t columns = static_cast<std::size_t>(nx);
    int x0 = (card.width - nx) / 2;
    int y0 = (card.height - ny) / 2;
    std::vector<Complex> b = taperedWindow(card, canvas, x0, y0, nx, ny);
    Fft::transform2d(b, rows, columns, false);
    std::vector<Complex> a = taperedWindow(capture, canvas, x0, y0, nx, ny);
    Fft::transform2d(a, rows, columns, false);

    // The whole shift: the peak of the phase correlation.
    std::vector<Complex> phase(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Complex cross = Fft::times(a[i], std::conj(b[i]));
        phase[i] = cross / std::max(std::abs(cross), kTiny);
    }
    Fft::transform2d(phase, rows, columns, true);
    std::size_t peak = 0;
    for (std::size_t i = 1; i < phase.size(); ++i) {
        if (phase[i].real() > phase[peak].real()) peak = i;
    }
    const int tx = signedFrequency(static_cast<int>(peak % columns), nx);
    const int ty = signedFrequency(static_cast<int>(peak / columns), ny);

    // The capture's window moved by it, so that both hold the same picture and the window's edges bias nothing;
    // both windows moved back inside the frames where the shift would take one out.
    const int cx0 = std::min(std::max(x0, -tx), card.width - nx - std::max(tx, 0));
    const int cy0 = std::min(std::max(y0, -ty), card.height - ny - std::max(ty, 0));
    const bool movable = cx0 >= 0 && cx0 + tx >= 0 && cy0 >= 0 && cy0 + ty >= 0;
    double fx = 0;
    double fy = 0;
    if (movable) {
        if (cx0 != x0 || cy0 != y0) {
            x0 = cx0;
            y0 = cy0;
            b = taperedWindow(card, canvas, x0, y0, nx, ny);
            Fft::transform2d(b, rows, columns, false);
        }
        a = taperedWindow(capture, canvas, x0 + tx, y0 + ty, nx, ny);
        Fft::transform2d(a, rows, columns, false);
    } else {
        fx = tx;  // a shift too large to move the windows by: refined about it where they are
        fy = ty;
    }
    std::vector<Complex> cross(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) cross[i] = Fft::times(a[i], std::conj(b[i]));
    refine(cross, nx, ny, fx, fy, kCoarseStep);
    refine(cross, nx, ny, fx, fy, kFineStep);
    const double dx = (movable ? tx : 0) + fx;
    const double dy = (movable ? ty : 0) + fy;
    Registration r;
    // A whole shift is reported whole ("+ 0.0": never a negative zero).
    r.dx = (std::abs(dx - std::round(dx)) < kWholeWithin ? std::round(dx) : dx) + 0.0;
    r.dy = (std::abs(dy - std::round(dy)) < kWholeWithin ? std::round(dy) : dy) + 0.0;
    r.correlation = lumaCorrelation(capture, card, canvas, x0, y0, nx, ny, r.wholeDx(), r.wholeDy());
    return r;
}
