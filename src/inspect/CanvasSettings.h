#pragma once

#include <optional>
#include <string>

#include "RunSettings.h"
#include "tools/PatternGen.h"

// What a bare pm5544 run renders.
inline constexpr RunSettings kPm5544Defaults{};

// The card settings of pm5544's command line (-d -a -c -s -b -fr), read with
// the same meanings: "-d 1280" sets only the width, a number other than 601,
// 709 or 2020 leaves -c as it was, a -s that is no number changes nothing.
// What the command line leaves unset is taken from the file where the file
// records it, and otherwise from pm5544's own defaults.
struct CanvasOptions {
    std::optional<int> width;
    std::optional<int> height;
    int aspectWidth = kPm5544Defaults.aspectWidth;
    int aspectHeight = kPm5544Defaults.aspectHeight;
    std::optional<PatternGen::colorAxes_e> axes;
    std::optional<PatternGen::sampling_e> sampling;
    std::optional<int> bitDepth;
    bool fullRange = false;

    enum class Parse {
        NotAnOption,  // the argument is none of these options
        Taken,        // read, with its value when it has one
        Failed,       // a -c value that is neither a keyword nor a number: `error` says so
    };
    // Reads argv[i] (and its value, advancing i).
    Parse parse(int argc, char** argv, int& i, std::string& error);
};

// Settings with every value decided.
struct CanvasSettings {
    int width = kPm5544Defaults.width;
    int height = kPm5544Defaults.height;
    int aspectWidth = kPm5544Defaults.aspectWidth;
    int aspectHeight = kPm5544Defaults.aspectHeight;
    PatternGen::colorAxes_e axes = kPm5544Defaults.axes;
    PatternGen::sampling_e sampling = kPm5544Defaults.sampling;
    int bitDepth = kPm5544Defaults.bitDepth;
    bool fullRange = kPm5544Defaults.fullRange;

    // Empty when pm5544 would render with these settings, else why not.
    std::string refusal() const;
    // As pm5544 options: "-d 1920x1080 -a 16x9 -c 709 -s 422 -b 10".
    std::string asOptions() const;
};

// The -c keyword of an axes value.
const char* colourKeyword(PatternGen::colorAxes_e axes);
