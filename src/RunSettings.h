#pragma once

#include "tools/PatternGen.h"

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
