#pragma once

#include <string>
#include <vector>

#include "inspect/measure/FlatAreaStats.h"

// One level of the card: its luma code and the capture's mean there.
struct LevelPoint {
    double reference = 0;
    double measured = 0;
    bool found = false;
};

struct LevelsMeasure {
    LevelPoint black;                   // the black bar below the grey scale
    LevelPoint white;                   // the white bar at the top of the circle
    std::vector<LevelPoint> greyScale;  // the six steps, black to white
    bool fitted = false;                // at least two grey steps were found (a tiny picture has none)
    double gain = 1;                    // measured = gain x reference + offset, least squares over the steps
    double offset = 0;                  // in codes
    double largestStepDeviation = 0;    // from that line, in codes, signed
    long long clippedLow = 0;           // Y' (or R'G'B') samples at the lowest legal code where the card's are not
    long long clippedHigh = 0;          // and at the highest
};

LevelsMeasure measureLevels(const MeasureFrame& capture, const MeasureFrame& card, const std::vector<FlatSpan>& spans,
                            WholeShift shift, const MeasureCanvas& canvas);
