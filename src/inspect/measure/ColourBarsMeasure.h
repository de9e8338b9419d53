#pragma once

#include <array>
#include <string>
#include <vector>

#include "inspect/measure/FlatAreaStats.h"

// One 75 % bar: codes in the canvas's report order (Y', Cb, Cr or R', G', B').
struct BarMeasure {
    std::string name;
    std::array<double, MeasureFrame::kPlanes> reference{};
    std::array<double, MeasureFrame::kPlanes> measured{};
    double chromaGain = 1;      // length of the measured (Cb, Cr) vector over the card's
    double chromaPhaseDeg = 0;  // its turn, counter-clockwise in the (Cb, Cr) plane
};

struct ColourBarsMeasure {
    std::vector<BarMeasure> bars;  // left to right: yellow, cyan, green, magenta, red, blue; none on a tiny picture
    // The complex least-squares factor from the card's chroma vectors to the capture's.
    double chromaGain = 1;
    double chromaPhaseDeg = 0;
};

ColourBarsMeasure measureColourBars(const MeasureFrame& capture, const MeasureFrame& card,
                                    const std::vector<FlatSpan>& spans, WholeShift shift, const MeasureCanvas& canvas);
