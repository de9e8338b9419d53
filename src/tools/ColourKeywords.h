#pragma once

#include <cstddef>

#include "tools/PatternGen.h"

// The colour-space keywords of the command line's -c option.
namespace ColourKeywords {

struct Keyword {
    const char* text;
    PatternGen::colorAxes_e axes;
    int number;  // the value that selects it when read as a number; 0 for words
};

// Every keyword, in the order they are tried: the keyword of each axes value
// (tools/ColourAxes.h).
extern const Keyword kTable[];
extern const std::size_t kCount;

enum class Lookup {
    Axes,       // a keyword, or a number that selects one: `axes` is set
    Unchanged,  // another number, or an empty value: the setting stays as it was
    Unknown,    // neither a keyword nor a number
};

// Words are compared exactly; a value that begins with a number is read as
// that number.
Lookup find(const char* value, PatternGen::colorAxes_e& axes);

// The keyword that selects `axes` ("709", "PQ-Mapped"); "?" for a value
// outside the enumeration.
const char* textOf(PatternGen::colorAxes_e axes);

}  // namespace ColourKeywords
