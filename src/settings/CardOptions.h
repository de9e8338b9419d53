#pragma once

#include <optional>
#include <string>

#include "settings/RunSettings.h"
#include "tools/PatternGen.h"

// The card options that pm5544 and pm5544-inspect share: -d -a -c -s -b -fr,
// read with pm5544's meanings. "-d 1280" sets only the width, "-a 4" only the
// first aspect number; a -c number other than 601, 709 or 2020 leaves the
// colour space as it was, and so does an empty value; a -s that is no number
// changes nothing; an option that needs a value but stands last is ignored.
// Later options override earlier ones. What a command line leaves unset stays
// unset here: pm5544 keeps its defaults for it, pm5544-inspect takes it from
// the file where the file records it.
struct CardOptions {
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> aspectWidth;
    std::optional<int> aspectHeight;
    std::optional<PatternGen::colorAxes_e> axes;
    std::optional<PatternGen::sampling_e> sampling;
    std::optional<int> bitDepth;
    bool fullRange = false;

    enum class Read {
        NotCardOption,  // argv[i] is none of the six
        Taken,          // read, with its value when it has one (i then points at the value)
        Unrecognised,   // a -c value that is neither a keyword nor a number: `rejected` holds it
    };
    // Reads argv[i] and, when it takes one, its value (advancing i).
    Read read(int argc, char** argv, int& i);
    const char* rejected = nullptr;

    // Sets in `settings` what was given.
    void applyTo(RunSettings& settings) const;
};

// The words of a refused -c value, as both programs print them.
std::string unrecognisedColourSpace(const char* value);
