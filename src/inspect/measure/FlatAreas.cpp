#include "inspect/measure/FlatAreas.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kSamplesPerClearanceStep = 135;  // a 1080-line canvas keeps 8 samples clear
constexpr int kLinesPerClearanceStep = 270;    // and 4 lines
constexpr int kMinSamples = 4;
constexpr int kMinLines = 2;
constexpr int kCountCap = 255;

}  // namespace

Clearance Clearance::forHeight(int height)
{
    return {std::max(kMinSamples, height / kSamplesPerClearanceStep),
            std::max(kMinLines, height / kLinesPerClearanceStep)};
}

std::vector<FlatSpan> findFlatSpans(const MeasureFrame& card, const PhilipsPm5544Spec& pattern, Clearance clearance)
{
    const int w = card.width;
    const int h = card.height;
    const int need = std::min(clearance.lines + 1, kCountCap);
    // below[x + w y]: lines from y down that keep the colour of (x, y), counted up to `need`.
    std::vector<uint8_t> below(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 1);
    for (int y = h - 2; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t i = card.index(x, y);
            if (card.sameColour(i, i + static_cast<std::size_t>(w))) {
                below[i] = static_cast<uint8_t>(std::min<int>(below[i + static_cast<std::size_t>(w)] + 1, need));
            }
        }
    }
    std::vector<uint8_t> above(static_cast<std::size_t>(w), 1);
    std::vector<FlatSpan> spans;
    for (int y = 0; y < h; ++y) {
        if (y > 0) {
            for (int x = 0; x < w; ++x) {
                const std::size_t i = card.index(x, y);
                above[static_cast<std::size_t>(x)] =
                    card.sameColour(i, i - static_cast<std::size_t>(w))
                        ? static_cast<uint8_t>(std::min<int>(above[static_cast<std::size_t>(x)] + 1, need))
                        : 1;
            }
        }
        auto steady = [&](int x) {
            return above[static_cast<std::size_t>(x)] >= need && below[card.index(x, y)] >= need;
        };
        int x = 0;
        while (x < w) {
            if (!steady(x)) {
                ++x;
                continue;
            }
            int end = x + 1;
            while (end < w && steady(end) && card.sameColour(card.index(end, y), card.index(x, y))) ++end;
            const int x0 = x + clearance.samples;
            const int x1 = end - clearance.samples;
            if (x1 > x0) spans.push_back({y, x0, x1, pattern.regionOf((x0 + x1) / 2, y), card.index(x0, y)});
            x = end;
        }
    }
    return spans;
}
