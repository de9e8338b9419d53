#pragma once

#include <cstdint>

#include "writers/Y4mHeader.h"

// What the double-dash options ask of the output, beside the card's settings.
struct OutputOptions {
    const char* format = nullptr;  // --format: the kind to write, whatever the name; null: by the name
    int64_t frames = 1;            // --frames: frames of a stream; 0 until the reader stops
    Y4m::Ratio rate{25, 1};        // --rate, frames per second
    Y4m::FieldOrder fieldOrder = Y4m::FieldOrder::Progressive;  // --field-order
    int descriptor = -1;  // where the file "-" goes (standard output); -1 for a named file
};
