#pragma once

#include <cstdint>
#include <vector>

#include "inspect/measure/FlatAreaStats.h"
#include "inspect/measure/MeasureFrame.h"
#include "inspect/measure/RgbPicture.h"

// The registered difference: at each card sample, the largest difference of
// any component between the capture (read by the whole shift) and the card,
// in codes. Samples the shifted capture does not cover count as not different.
struct DifferenceMap {
    int width = 0;
    int height = 0;
    int largest = 0;
    std::vector<uint16_t> codes;

    static DifferenceMap of(const MeasureFrame& capture, const MeasureFrame& card, WholeShift shift);

    // The map on the heat scale, black where nothing differs, reduced by whole
    // factors (each pixel the largest of its block) until it is at most
    // `widest` pixels wide.
    RgbPicture heatImage(int widest) const;
};
