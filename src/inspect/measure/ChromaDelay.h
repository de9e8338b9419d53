#pragma once

#include <array>
#include <vector>

#include "inspect/measure/FlatAreaStats.h"
#include "inspect/measure/FlatAreas.h"
#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/Registration.h"

// How much later than luma each colour difference (Cb, then Cr; B', then R'
// against G' on an R'G'B' canvas) changes at the colour bars' edges, against
// the card: > 0 when chroma comes later (to the right), in luma samples.
struct ChromaDelay {
    std::array<double, 2> samples{};
    std::array<double, 2> ns{};
    std::array<bool, 2> measured{};
    std::array<int, 2> edges{};  // edge crossings averaged
};

// Each edge is timed at the 50 % crossing between the flat levels on either
// side, by linear interpolation between the two samples that straddle it, in
// the capture and in the card; the difference is averaged over the bars'
// lines and edges, and luma's is taken from each colour difference's.
// Chroma that pairs of samples share (4:2:2, 4:2:0) is timed where it is
// sampled, co-sited with the even sample: between two even samples it is
// read by linear interpolation, not as the repeated value. The card's is read
// so, and a capture's whose odd samples all repeat the even ones.
ChromaDelay measureChromaDelay(const MeasureFrame& capture, const MeasureFrame& card,
                               const std::vector<FlatSpan>& spans, const Registration& registration,
                               const MeasureCanvas& canvas, Clearance clearance);
