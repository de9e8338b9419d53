#pragma once

#include <string>
#include <vector>

#include "inspect/measure/Measurement.h"

// A tolerance: `name = low high` in a limits file.
struct Limit {
    std::string name;
    double low = 0;
    double high = 0;
};

// The tolerances a capture is held against.
struct LimitSet {
    std::vector<Limit> limits;

    // The built-in set, from published equipment tolerances (see the README).
    static LimitSet builtIn();
    // Reads `name = low high` lines; blank lines and lines starting with # are
    // skipped; low and high are numbers, inf or -inf. Throws
    // std::invalid_argument naming the line for anything else.
    static LimitSet parse(const std::string& text);
    static LimitSet read(const std::string& path);
};

// One measured value against one limit.
struct LimitCheck {
    std::string name;  // of the limit
    std::string what;  // which value: "grating 3", "Cb", ""
    std::string unit;  // "dB", "ns", "%", "codes", "samples"
    double value = 0;
    double low = 0;
    double high = 0;
    bool passed = true;
};

// Every value each limit applies to, in the order of the set; values that were not measured are left out.
std::vector<LimitCheck> checkLimits(const Measurement& m, const LimitSet& limits);
