#pragma once

#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/MeasureFrame.h"

// Where the capture's picture lies against the card's: dx > 0 when it lies
// to the right, dy > 0 when below, in samples and lines.
struct Registration {
    double dx = 0;
    double dy = 0;
    // The luma correlation of card and capture at the whole shift, over the
    // window correlated: about 1 when the capture is the card, whatever a
    // chain did to its levels; low when no shift searched makes them alike
    // (the picture is not the card, or lies further off than the search).
    // NaN where the card's window holds one level only (a tiny card).
    double correlation = 1;
    bool correlated() const { return correlation == correlation; }
    // The nearest whole shift, by which every other measure reads the capture.
    int wholeDx() const;
    int wholeDy() const;
    // True when the shift is a whole number of samples and lines.
    bool whole() const;
};

// The least correlation at which the capture is taken to be the card.
constexpr double kLeastRegisteredCorrelation = 0.5;

// Whole-sample phase correlation of the luma over the centre of the picture,
// refined to a hundredth of a sample by an upsampled cross-correlation around
// its peak. The frames must be of one size.
Registration measureRegistration(const MeasureFrame& capture, const MeasureFrame& card, const MeasureCanvas& canvas);
