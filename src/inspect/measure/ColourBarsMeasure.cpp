#include "inspect/measure/ColourBarsMeasure.h"

#include <cmath>
#include <complex>

#include "tools/MathConstants.h"

namespace {

constexpr const char* kBarNames[] = {"yellow", "cyan", "green", "magenta", "red", "blue"};
constexpr std::size_t kBarCount = sizeof kBarNames / sizeof kBarNames[0];
constexpr double kDegreesPerRadian = 180.0 / MathConstants::kPi;

std::complex<double> vectorOf(const MeasureCanvas& canvas, const std::array<double, MeasureFrame::kPlanes>& planes)
{
    const std::array<double, 2> c = canvas.chroma(planes);
    return {c[0], c[1]};
}

std::array<double, MeasureFrame::kPlanes> inReportOrder(const MeasureCanvas& canvas,
                                                        const std::array<double, MeasureFrame::kPlanes>& planes)
{
    std::array<double, MeasureFrame::kPlanes> out{};
    for (int i = 0; i < MeasureFrame::kPlanes; ++i) out[i] = planes[static_cast<std::size_t>(canvas.order[i])];
    return out;
}

}  // namespace

ColourBarsMeasure measureColourBars(const MeasureFrame& capture, const MeasureFrame& card,
                                    const std::vector<FlatSpan>& spans, WholeShift shift, const MeasureCanvas& canvas)
{
    ColourBarsMeasure m;
    const std::vector<FlatArea> areas = flatAreasOf(spans, CardRegion::ColourBars, card, canvas);
    std::complex<double> cross = 0;
    double power = 0;
    for (std::size_t i = 0; i < areas.size() && i < kBarCount; ++i) {
        const AreaStats stats = statsOf(areas[i], capture, card, shift, canvas);
        if (stats.samples == 0) continue;
        BarMeasure bar;
        bar.name = kBarNames[i];
        bar.reference = inReportOrder(canvas, areas[i].colour);
        bar.measured = inReportOrder(canvas, stats.mean);
        const std::complex<double> r = vectorOf(canvas, areas[i].colour);
        const std::complex<double> c = vectorOf(canvas, stats.mean);
        if (std::abs(r) > 0) {
            bar.chromaGain = std::abs(c) / std::abs(r);
            bar.chromaPhaseDeg = std::arg(c * std::conj(r)) * kDegreesPerRadian;
        }
        cross += c * std::conj(r);
        power += std::norm(r);
        m.bars.push_back(bar);
    }
    if (power > 0) {
        m.chromaGain = std::abs(cross) / power;
        m.chromaPhaseDeg = std::arg(cross) * kDegreesPerRadian;
    }
    return m;
}
