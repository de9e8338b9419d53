#include "inspect/measure/PsnrMeasure.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kDbPerDecade = 10.0;

}  // namespace

std::array<double, MeasureFrame::kPlanes> measurePsnr(const MeasureFrame& capture, const MeasureFrame& card,
                                                      const MeasureCanvas& canvas)
{
    std::array<double, MeasureFrame::kPlanes> psnr{};
    const double peak = std::ldexp(1.0, card.bitDepth) - 1;
    for (int i = 0; i < MeasureFrame::kPlanes; ++i) {
        const auto& a = capture.planes[static_cast<std::size_t>(canvas.order[i])];
        const auto& b = card.planes[static_cast<std::size_t>(canvas.order[i])];
        unsigned long long sum = 0;
        for (std::size_t j = 0; j < a.size(); ++j) {
            const long long d = static_cast<long long>(a[j]) - b[j];
            sum += static_cast<unsigned long long>(d * d);
        }
        const double mse = static_cast<double>(sum) / static_cast<double>(a.size());
        psnr[i] = mse > 0 ? kDbPerDecade * std::log10(peak * peak / mse) : std::numeric_limits<double>::infinity();
    }
    return psnr;
}
