#pragma once

#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/MeasureFrame.h"

// Where the capture's picture lies against the card's: dx > 0 when it lies
// to the right, dy > 0 when below, in samples and lines.
struct Registration {
    double dx = 0;
    double dy = 0;
    // The nearest whole shift, by which every other measure reads the capture.
    int wholeDx() const;
    int wholeDy() const;
    // True when the shift is a whole number of samples and lines.
    bool whole() const;
};

// Whole-sample phase correlation of the luma over the centre of the picture,
// refined to a hundredth of a sample by an upsampled cross-correlation around
// its peak. The frames must be of one size.
Registration measureRegistration(const MeasureFrame& capture, const MeasureFrame& card, const MeasureCanvas& canvas);
