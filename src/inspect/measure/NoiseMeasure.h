#pragma once

#include <array>
#include <vector>

#include "inspect/measure/FlatAreaStats.h"

struct NoiseMeasure {
    std::array<double, MeasureFrame::kPlanes> rms{};  // codes, in the canvas's report order
    double lumaRms = 0;
    double snrDb = 0;       // black-to-white span over the luma RMS; infinite without noise
    double floorDb = 0;     // what rounding to the bit depth alone leaves: span x sqrt(12)
    bool atFloor = false;   // within kFloorMarginDb of it
    long long samples = 0;  // none on a picture too small for any flat area: then nothing is measured
    bool measured() const { return samples > 0; }
    static constexpr double kFloorMarginDb = 3.0;
};

// RMS of capture - card over the flat areas (background, black, white, the
// grey steps), each area's mean difference taken off first so that a change
// of level does not read as noise.
NoiseMeasure measureNoise(const MeasureFrame& capture, const MeasureFrame& card, const std::vector<FlatSpan>& spans,
                          WholeShift shift, const MeasureCanvas& canvas);
