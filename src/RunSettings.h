#pragma once

#include "tools/PatternGen.h"

// The settings the card can be rendered with: pm5544 refuses others, and
// pm5544-inspect compares files with nothing else.
namespace RunLimits {

constexpr int kMinBitDepth = 8;
constexpr int kMaxBitDepth = 16;
// The card needs a few samples per line for the black samples at its ends.
constexpr int kMinWidth = 4;
// The card's geometry multiplies width, height and an aspect term in 32-bit
// integers; beyond this product those multiplications would overflow.
constexpr long long kMaxGeometryProduct = 0x7FFFFFFFLL;

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
