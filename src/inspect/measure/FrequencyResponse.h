#pragma once

#include <vector>

#include "inspect/measure/FlatAreaStats.h"
#include "inspect/measure/FlatAreas.h"
#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/Registration.h"

// The response of the chain at one grating: the amplitude of the sine at the
// grating's own period in the capture's luma over that in the card's.
struct GratingResponse {
    int grating = 0;             // 1 to 5, lowest frequency first
    int periodSamples = 0;       // the grating's whole-sample period p
    double cyclesPerSample = 0;  // 1 / p
    double mhz = 0;              // at the canvas's nominal sample rate
    double db = 0;
    bool measurable = false;
    const char* why = "";  // when not measurable
};

// Least-squares sine fits at the known period over whole periods of each of
// the grating's lines, clear of its ends and of the centre strip, the
// amplitudes summed over the lines before they are divided.
std::vector<GratingResponse> measureFrequencyResponse(const MeasureFrame& capture, const MeasureFrame& card,
                                                      const PhilipsPm5544Spec& pattern,
                                                      const Registration& registration, const MeasureCanvas& canvas,
                                                      Clearance clearance);
