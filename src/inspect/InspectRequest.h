#pragma once

#include <stdexcept>
#include <string>

#include "settings/CardOptions.h"

// What one run of pm5544-inspect is asked to do, from its command line.
struct InspectRequest {
    std::string file;
    bool at = false;
    int atX = 0;
    int atY = 0;
    std::string preview;  // the PNG to write, when asked
    bool compare = false;
    std::string diff;  // with --compare: the PNG that shows where
    int frame = 0;     // the frame of a YUV4MPEG2 stream that --at, --preview and --compare read
    bool help = false;
    CardOptions canvas;

    // Throws std::invalid_argument with a message for a command line it cannot follow.
    static InspectRequest parse(int argc, char** argv);
};

extern const char* const kInspectUsage;
