#pragma once

#include <stdexcept>
#include <string>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"
#include "settings/RunSettings.h"

// What --measure is asked for beyond the card's settings.
struct MeasureOptions {
    std::string json;    // a file, or "-" for standard output (which then holds only the JSON)
    std::string report;  // the HTML page to write
    std::string limits;  // a limits file instead of the built-in set
};

// A measurement that cannot be made or written, with the reason.
class CannotMeasure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Measures the file's picture, read whole from its rows, against the card
// rendered with `settings` at the file's own size, writes the reports asked
// for, and returns whether every value is within its limits. `note` says how
// the size was chosen.
bool runMeasure(const InspectedFile& file, FileRows& rows, const RunSettings& settings, const MeasureOptions& options,
                const std::string& note);
