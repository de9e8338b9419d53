#pragma once

#include <stdexcept>
#include <string>

#include "inspect/measure/MeasureCommand.h"
#include "settings/CardOptions.h"

// What one run of pm5544-inspect is asked to do, from its command line.
struct InspectRequest {
    std::string file;
    bool at = false;
    int atX = 0;
    int atY = 0;
    std::string preview;  // the PNG to write, when asked
    bool compare = false;
    std::string diff;   // with --compare: the PNG that shows where
    int tolerance = 0;  // with --compare: codes by which samples may differ and still count as equal
    bool measure = false;
    MeasureOptions measureOptions;  // with --measure: --json, --report, --limits
    int frame = 0;  // the frame of a YUV4MPEG2 stream that --at, --preview, --compare and --measure read
    bool help = false;
    CardOptions canvas;

    // Throws std::invalid_argument with a message for a command line it cannot follow.
    static InspectRequest parse(int argc, char** argv);
};

extern const char* const kInspectUsage;
