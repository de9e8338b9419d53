#include "inspect/measure/DifferenceMap.h"

#include <algorithm>
#include <cstdlib>

#include "inspect/HeatScale.h"

DifferenceMap DifferenceMap::of(const MeasureFrame& capture, const MeasureFrame& card, WholeShift shift)
{
    DifferenceMap map;
    map.width = card.width;
    map.height = card.height;
    map.codes.assign(static_cast<std::size_t>(card.width) * static_cast<std::size_t>(card.height), 0);
    for (int y = 0; y < card.height; ++y) {
        const int cy = y + shift.dy;
        if (cy < 0 || cy >= capture.height) continue;
        const int x0 = std::max(0, -shift.dx);
        const int x1 = std::min(card.width, capture.width - shift.dx);
        uint16_t* out = &map.codes[card.index(0, y)];
        for (int p = 0; p < MeasureFrame::kPlanes; ++p) {
            const uint16_t* a = capture.row(p, cy);
            const uint16_t* b = card.row(p, y);
            for (int x = x0; x < x1; ++x) {
                const int d = std::abs(static_cast<int>(a[x + shift.dx]) - static_cast<int>(b[x]));
                out[x] = static_cast<uint16_t>(std::max<int>(out[x], d));
            }
        }
    }
    map.largest = map.codes.empty() ? 0 : *std::max_element(map.codes.begin(), map.codes.end());
    return map;
}

RgbPicture DifferenceMap::heatImage(int widest) const
{
    const int factor = std::max(1, (width + widest - 1) / widest);
    const int w = std::max(1, width / factor);
    const int h = std::max(1, height / factor);
    RgbPicture image(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int d = 0;
            for (int j = 0; j < factor && y * factor + j < height; ++j) {
                for (int i = 0; i < factor && x * factor + i < width; ++i) {
                    d = std::max<int>(d, codes[static_cast<std::size_t>(y * factor + j) * width + x * factor + i]);
                }
            }
            if (d > 0) image.set(x, y, HeatScale::colourAt(HeatScale::positionOf(d, largest)));
        }
    }
    return image;
}
