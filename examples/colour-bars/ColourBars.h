#pragma once

#include "patterns/PatternWrapper.h"

// 100 % colour bars over 75 % colour bars, and a caption on a black band
// below them: a pattern of its own drawn with the pm5544 framework.
class ColourBars : public PatternSpec {
public:
    // Runs once per frame, after init() has set the canvas and the bar colours.
    void setup() override;
    // The colour of one sample, in any colour space: the renderers convert it.
    Pixel body(int x, int y) override;
    // Samples are counted from the left edge of the canvas in every renderer
    // (otherwise the image renderer counts from the centre).
    bool useFullCanvasSize() override { return true; }

private:
    int fullBarsEnd = 0;     // first line below the 100 % bars
    int reducedBarsEnd = 0;  // first line of the caption band
};
