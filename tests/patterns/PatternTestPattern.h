#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"

// A concrete pattern for exercising the framework: its samples come from a
// function, and it can claim the full canvas or a line-repeat list of its own.
class TestPattern : public PatternSpec {
public:
    std::function<Pixel(int, int)> colourAt = [](int, int) { return Pixel(); };
    bool fullCanvas = false;
    std::vector<std::pair<int, int>> storedLines;  // used instead of the default list when not empty
    int transitionSizeAtSetup = -1;

    void setup() override { transitionSizeAtSetup = transitionSize; }
    Pixel body(int x, int y) override { return colourAt(x, y); }
    bool useFullCanvasSize() override { return fullCanvas; }
    void getLineRepeats(std::vector<std::pair<int, int>>& repeats) override
    {
        if (storedLines.empty())
            PatternSpec::getLineRepeats(repeats);
        else
            repeats = storedLines;
    }
};

// Pixel constructors take (G, B, R); these take (R, G, B).
inline Pixel rgb12(int r, int g, int b)
{
    return Pixel(g, b, r, PatternGen::Colour_RGB, 12);
}
inline Pixel grey12(int level)
{
    return rgb12(level, level, level);
}
