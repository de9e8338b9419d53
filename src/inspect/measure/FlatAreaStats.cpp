#include "inspect/measure/FlatAreaStats.h"

#include <algorithm>

std::vector<FlatArea> flatAreasOf(const std::vector<FlatSpan>& spans, CardRegion region, const MeasureFrame& card,
                                  const MeasureCanvas& canvas)
{
    std::vector<FlatArea> areas;
    std::vector<std::size_t> keys;  // a sample of each area's colour
    for (const FlatSpan& s : spans) {
        if (s.region != region) continue;
        std::size_t a = 0;
        while (a < keys.size() && !card.sameColour(keys[a], s.colourAt)) ++a;
        if (a == keys.size()) {
            keys.push_back(s.colourAt);
            FlatArea area;
            area.firstX = s.x0;
            for (int p = 0; p < MeasureFrame::kPlanes; ++p) area.colour[p] = card.planes[p][s.colourAt];
            area.luma = canvas.luma(card, s.colourAt);
            areas.push_back(area);
        }
        areas[a].spans.push_back(s);
        areas[a].firstX = std::min(areas[a].firstX, s.x0);
    }
    std::sort(areas.begin(), areas.end(), [](const FlatArea& l, const FlatArea& r) { return l.firstX < r.firstX; });
    return areas;
}

AreaStats statsOf(const FlatArea& area, const MeasureFrame& capture, const MeasureFrame& card, WholeShift shift,
                  const MeasureCanvas& canvas)
{
    AreaStats stats;
    std::array<double, MeasureFrame::kPlanes> sum{};
    std::array<double, MeasureFrame::kPlanes> sumDiff{};
    std::array<double, MeasureFrame::kPlanes> sumDiff2{};
    double lumaSum = 0;
    double lumaDiff = 0;
    double lumaDiff2 = 0;
    for (const FlatSpan& s : area.spans) {
        const int y = s.y + shift.dy;
        if (y < 0 || y >= capture.height) continue;
        const int x0 = std::max(s.x0, -shift.dx);
        const int x1 = std::min(s.x1, capture.width - shift.dx);
        for (int x = x0; x < x1; ++x) {
            const std::size_t c = capture.index(x + shift.dx, y);
            const std::size_t r = card.index(x, s.y);
            for (int p = 0; p < MeasureFrame::kPlanes; ++p) {
                const double v = capture.planes[p][c];
                const double d = v - card.planes[p][r];
                sum[p] += v;
                sumDiff[p] += d;
                sumDiff2[p] += d * d;
            }
            const double l = canvas.luma(capture, c);
            const double d = l - canvas.luma(card, r);
            lumaSum += l;
            lumaDiff += d;
            lumaDiff2 += d * d;
            ++stats.samples;
        }
    }
    if (stats.samples == 0) return stats;
    const double n = static_cast<double>(stats.samples);
    for (int p = 0; p < MeasureFrame::kPlanes; ++p) {
        stats.mean[p] = sum[p] / n;
        stats.residualSquares[p] = std::max(0.0, sumDiff2[p] - sumDiff[p] * sumDiff[p] / n);
    }
    stats.lumaMean = lumaSum / n;
    stats.lumaResidualSquares = std::max(0.0, lumaDiff2 - lumaDiff * lumaDiff / n);
    return stats;
}
