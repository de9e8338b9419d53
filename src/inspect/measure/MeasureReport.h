#pragma once

#include <string>
#include <vector>

#include "inspect/measure/MeasureLimits.h"
#include "inspect/measure/Measurement.h"

// What the reports say about one measurement: of which file, against which
// card, and how it held against its limits.
struct MeasureReport {
    std::string file;
    std::string settings;  // the card's, as pm5544 options
    std::string note;      // how the card's size was chosen, when not as asked
    Measurement measurement;
    std::vector<LimitCheck> checks;

    bool passed() const;
    std::vector<std::string> failedNames() const;  // each limit that failed, once
};
