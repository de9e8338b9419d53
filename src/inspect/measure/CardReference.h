#pragma once

#include <memory>

#include "inspect/measure/MeasureFrame.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "settings/RunSettings.h"

// The card a capture is measured against: rendered in memory through the
// library's image rows, rounded to the bit depth as pm5544 writes its PNG and
// DPX files, with the card object kept for its geometry (regionOf, the
// grating frequencies, the sample rate).
struct CardReference {
    std::unique_ptr<PhilipsPm5544Spec> card;
    MeasureFrame frame;

    // The settings must be ones pm5544 renders with (RunSettings::refusal)
    // and their size must fit MeasureFrame::fits.
    static CardReference render(const RunSettings& settings);

    // Samples per second of the canvas, by the card's sample-rate rule.
    double sampleRateHz() const { return card->freqToPixels(1.0); }
};
