#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "inspect/measure/FlatAreas.h"
#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/MeasureFrame.h"

// The whole shift by which the capture is read: card sample (x, y) is
// compared with capture sample (x + dx, y + dy).
struct WholeShift {
    int dx = 0;
    int dy = 0;
};

// The flat spans of one colour in one part of the card: a grey step, a bar.
struct FlatArea {
    std::vector<FlatSpan> spans;
    int firstX = 0;  // the leftmost sample of any of its spans
    std::array<double, MeasureFrame::kPlanes> colour{};
    double luma = 0;
};

// The spans of `region`, one area per colour, in the order their colours first appear from the left.
std::vector<FlatArea> flatAreasOf(const std::vector<FlatSpan>& spans, CardRegion region, const MeasureFrame& card,
                                  const MeasureCanvas& canvas);

// The capture over an area.
struct AreaStats {
    long long samples = 0;
    std::array<double, MeasureFrame::kPlanes> mean{};  // capture, per plane
    double lumaMean = 0;
    // Sums of squares of (capture - card) less its mean over the area: what is noise, not a change of level.
    std::array<double, MeasureFrame::kPlanes> residualSquares{};
    double lumaResidualSquares = 0;
};

// Samples whose shifted position falls outside the capture are left out.
AreaStats statsOf(const FlatArea& area, const MeasureFrame& capture, const MeasureFrame& card, WholeShift shift,
                  const MeasureCanvas& canvas);
