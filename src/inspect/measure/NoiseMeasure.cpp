#include "inspect/measure/NoiseMeasure.h"

#include <cmath>
#include <limits>

namespace {

constexpr CardRegion kFlatRegions[] = {CardRegion::Background, CardRegion::GreyScale, CardRegion::LowerBar,
                                       CardRegion::UpperBars};
constexpr double kDbPerDecade = 20.0;
constexpr double kQuantisationVariance = 12.0;  // a uniform error of one code has variance 1/12

}  // namespace

NoiseMeasure measureNoise(const MeasureFrame& capture, const MeasureFrame& card, const std::vector<FlatSpan>& spans,
                          WholeShift shift, const MeasureCanvas& canvas)
{
    NoiseMeasure m;
    std::array<double, MeasureFrame::kPlanes> squares{};
    double lumaSquares = 0;
    for (CardRegion region : kFlatRegions) {
        for (const FlatArea& area : flatAreasOf(spans, region, card, canvas)) {
            const AreaStats stats = statsOf(area, capture, card, shift, canvas);
            for (int p = 0; p < MeasureFrame::kPlanes; ++p) squares[p] += stats.residualSquares[p];
            lumaSquares += stats.lumaResidualSquares;
            m.samples += stats.samples;
        }
    }
    m.floorDb = kDbPerDecade * std::log10(canvas.span() * std::sqrt(kQuantisationVariance));
    if (m.samples == 0) return m;
    const double n = static_cast<double>(m.samples);
    for (int i = 0; i < MeasureFrame::kPlanes; ++i) {
        m.rms[i] = std::sqrt(squares[static_cast<std::size_t>(canvas.order[i])] / n);
    }
    m.lumaRms = std::sqrt(lumaSquares / n);
    m.snrDb =
        m.lumaRms > 0 ? kDbPerDecade * std::log10(canvas.span() / m.lumaRms) : std::numeric_limits<double>::infinity();
    m.atFloor = m.snrDb >= m.floorDb - NoiseMeasure::kFloorMarginDb;
    return m;
}
