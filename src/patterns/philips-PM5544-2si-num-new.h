#pragma once

#include <vector>

#include "patterns/PatternWrapper.h"

// The Philips PM5544 test card, drawn in proportion to the canvas height.
// setup() renders the whole frame once and shapes its edges along each line;
// body() only looks samples up.
class PhilipsPm5544Spec : public PatternSpec {
public:
    Pixel palette[16];
    int savedTransitionSize = 0;
    int squareWavePeriod;
    int gratingStartHz = 800000;
    int gratingStepHz = 1000000;
    int capBarWidth = 0;
    int longBarWidth = 0;
    int centreBarWidth = 0;
    std::vector<Pixel> frame;

    PhilipsPm5544Spec();

    void setup() override;
    Pixel body(int x, int y) override;
    bool useFullCanvasSize() override;

    // The unshaped card colour of one sample.
    Pixel render(int x, int y);
};
