#include "inspect/measure/LevelsMeasure.h"

#include <algorithm>
#include <cmath>

#include "inspect/measure/LegalCodes.h"

namespace {

LevelPoint pointOf(const FlatArea& area, const MeasureFrame& capture, const MeasureFrame& card, WholeShift shift,
                   const MeasureCanvas& canvas)
{
    const AreaStats stats = statsOf(area, capture, card, shift, canvas);
    return {area.luma, stats.lumaMean, stats.samples > 0};
}

// The area of `region` whose luma is the lowest (or highest).
const FlatArea* extremeArea(const std::vector<FlatArea>& areas, bool highest)
{
    const FlatArea* chosen = nullptr;
    for (const FlatArea& a : areas) {
        if (chosen == nullptr || (highest ? a.luma > chosen->luma : a.luma < chosen->luma)) chosen = &a;
    }
    return chosen;
}

}  // namespace

LevelsMeasure measureLevels(const MeasureFrame& capture, const MeasureFrame& card, const std::vector<FlatSpan>& spans,
                            WholeShift shift, const MeasureCanvas& canvas)
{
    LevelsMeasure m;
    const std::vector<FlatArea> lower = flatAreasOf(spans, CardRegion::LowerBar, card, canvas);
    const std::vector<FlatArea> upper = flatAreasOf(spans, CardRegion::UpperBars, card, canvas);
    if (const FlatArea* a = extremeArea(lower, false)) m.black = pointOf(*a, capture, card, shift, canvas);
    if (const FlatArea* a = extremeArea(upper, true)) m.white = pointOf(*a, capture, card, shift, canvas);

    std::vector<FlatArea> steps = flatAreasOf(spans, CardRegion::GreyScale, card, canvas);
    std::sort(steps.begin(), steps.end(), [](const FlatArea& l, const FlatArea& r) { return l.luma < r.luma; });
    for (const FlatArea& a : steps) {
        const LevelPoint p = pointOf(a, capture, card, shift, canvas);
        if (p.found) m.greyScale.push_back(p);
    }
    const double n = static_cast<double>(m.greyScale.size());
    if (n >= 2) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const LevelPoint& p : m.greyScale) {
            sx += p.reference;
            sy += p.measured;
            sxx += p.reference * p.reference;
            sxy += p.reference * p.measured;
        }
        const double denominator = n * sxx - sx * sx;
        if (denominator != 0) {
            m.fitted = true;
            m.gain = (n * sxy - sx * sy) / denominator;
            m.offset = (sy - m.gain * sx) / n;
        }
        for (const LevelPoint& p : m.greyScale) {
            const double deviation = p.measured - (m.gain * p.reference + m.offset);
            if (std::abs(deviation) > std::abs(m.largestStepDeviation)) m.largestStepDeviation = deviation;
        }
    }

    // Clipping is counted where the range ends are black and white: the Y'
    // samples of a Y'CbCr canvas (its colour differences, shared by two
    // samples in 4:2:2 and 4:2:0, are not levels), every R'G'B' sample.
    const LegalCodes legal = LegalCodes::of(canvas);
    const int firstPlane = canvas.yCbCr ? canvas.lumaPlane : 0;
    const int endPlane = canvas.yCbCr ? canvas.lumaPlane + 1 : MeasureFrame::kPlanes;
    for (int y = 0; y < card.height; ++y) {
        const int cy = y + shift.dy;
        if (cy < 0 || cy >= capture.height) continue;
        for (int p = firstPlane; p < endPlane; ++p) {
            const uint16_t* c = capture.row(p, cy);
            const uint16_t* r = card.row(p, y);
            for (int x = std::max(0, -shift.dx); x < std::min(card.width, capture.width - shift.dx); ++x) {
                const int v = c[x + shift.dx];
                m.clippedLow += v <= legal.lowest && r[x] > legal.lowest;
                m.clippedHigh += v >= legal.highest && r[x] < legal.highest;
            }
        }
    }
    return m;
}
