#pragma once

#include <cstddef>
#include <vector>

#include "inspect/measure/MeasureFrame.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

// How far a window keeps from any change of the card's colour, so that what a
// chain does to an edge (filtering, scaling, a shift) stays out of it.
struct Clearance {
    int samples = 4;
    int lines = 2;
    // Wider on bigger canvases, where a chain's filters are as many times longer.
    static Clearance forHeight(int height);
};

// A stretch of one line of the card over which the card's colour is constant,
// with the clearance around it in every direction.
struct FlatSpan {
    int y = 0;
    int x0 = 0;  // first sample
    int x1 = 0;  // one past the last
    CardRegion region = CardRegion::Background;
    std::size_t colourAt = 0;  // a sample index holding the span's colour
};

// Every flat span of the card, line by line from the top, left to right.
std::vector<FlatSpan> findFlatSpans(const MeasureFrame& card, const PhilipsPm5544Spec& pattern, Clearance clearance);
