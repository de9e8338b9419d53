#pragma once

#include <string>

#include "tools/PatternGen.h"

// The limits of the settings any run takes, whatever the pattern: pm5544
// refuses others, and pm5544-inspect compares files with nothing else.
// How large a canvas the pattern itself can draw is its own answer
// (PatternSpec::drawableAt).
namespace RunLimits {

constexpr int kMinBitDepth = 8;
constexpr int kMaxBitDepth = 16;
// The card needs a few samples per line for the black samples at its ends.
constexpr int kMinWidth = 4;

}  // namespace RunLimits

// Everything the command line can set, with the defaults a bare run uses.
struct RunSettings {
    int width = 1920;
    int height = 1080;
    int aspectWidth = 16;
    int aspectHeight = 9;
    PatternGen::colorAxes_e axes = PatternGen::Colour_RGB;
    PatternGen::sampling_e sampling = PatternGen::Sampling_444;
    int bitDepth = 12;
    PatternGen::quadrant_e quadrant = PatternGen::Quadrant_None;
    int commandLineValue = 0;
    bool fullRange = false;
    bool skipLineEndShaping = false;
    bool selfTest = false;
    const char* fileName = nullptr;
};

// The card settings as pm5544 options: "-d 1920x1080 -a 16x9 -c 709 -s 422 -b 10",
// with " -fr" when full range; the aspect as given.
std::string asOptions(const RunSettings& settings);
