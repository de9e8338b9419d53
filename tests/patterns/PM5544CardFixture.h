#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "patterns/philips-PM5544-2si-num-new.h"

// A card whose init() (and so setup()) has run, with what that printed.
struct SetUpCard {
    std::unique_ptr<PhilipsPm5544Spec> card;
    std::string printed;
};

inline SetUpCard makeCard(int width, int height, int aspectWidth, int aspectHeight,
                          PatternGen::colorAxes_e axes = PatternGen::Colour_YCbCr_709,
                          PatternGen::sampling_e sampling = PatternGen::Sampling_444, int bitDepth = 12)
{
    SetUpCard made;
    made.card = std::make_unique<PhilipsPm5544Spec>();
    testing::internal::CaptureStdout();
    made.card->init(width, height, aspectWidth, aspectHeight, axes, sampling, bitDepth, false,
                    PatternGen::Quadrant_None, 0, false, "");
    made.printed = testing::internal::GetCapturedStdout();
    return made;
}

// Equal as the card compares samples: axes, depth, the three codes and alpha.
inline testing::AssertionResult samePixel(const Pixel& actual, const Pixel& expected)
{
    if (actual.y == expected.y && actual.cb == expected.cb && actual.cr == expected.cr &&
        actual.alpha == expected.alpha && actual.axis == expected.axis && actual.bitDepth == expected.bitDepth) {
        return testing::AssertionSuccess();
    }
    auto describe = [](const Pixel& p) {
        return "(" + std::to_string(p.y) + ", " + std::to_string(p.cb) + ", " + std::to_string(p.cr) +
               " alpha " + std::to_string(p.alpha) + " axes " + std::to_string(p.axis) + " bits " +
               std::to_string(p.bitDepth) + ")";
    };
    return testing::AssertionFailure() << describe(actual) << " differs from " << describe(expected);
}

// A sample given by its codes in constructor order.
inline testing::AssertionResult hasCodes(const Pixel& actual, int first, int second, int third,
                                         PatternGen::colorAxes_e axes, int bits)
{
    return samePixel(actual, Pixel(first, second, third, axes, bits));
}
