#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "support/Capture.h"

// A card whose init() (and so setup()) has run, with what that printed.
struct SetUpCard {
    std::unique_ptr<PhilipsPm5544Spec> card;
    std::string printed;
};

inline SetUpCard makeCard(int width, int height, int aspectWidth, int aspectHeight,
                          PatternGen::colorAxes_e axes = PatternGen::Colour_YCbCr_709,
                          PatternGen::sampling_e sampling = PatternGen::Sampling_444, int bitDepth = 12)
{
    SetUpCard made{std::make_unique<PhilipsPm5544Spec>(), ""};
    made.printed = stdoutOf([&] {
        made.card->init(width, height, aspectWidth, aspectHeight, axes, sampling, bitDepth, false,
                        PatternGen::Quadrant_None, 0, false, "");
    });
    return made;
}

// Equal as the card compares samples: the three codes, alpha, axes and depth.
inline testing::AssertionResult samePixel(const Pixel& a, const Pixel& e)
{
    auto fields = [](const Pixel& p) { return std::vector<int>{p.y, p.cb, p.cr, p.alpha, p.axis, p.bitDepth}; };
    return fields(a) == fields(e) ? testing::AssertionSuccess()
                                  : testing::AssertionFailure() << testing::PrintToString(fields(a)) << " differs from "
                                                                << testing::PrintToString(fields(e));
}
