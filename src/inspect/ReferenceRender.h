#pragma once

#include <memory>

#include "inspect/CodeFrame.h"
#include "inspect/InspectedFile.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "settings/RunSettings.h"

// The card as pm5544 would have written it into a file of this one's kind,
// rendered in memory through the library: the renderer the driver uses for
// that kind, then the driver's own after-steps (rounding to the bit depth
// for PNG and DPX, the DPX writer's 10-bit data, X'Y'Z' for xyz files).
struct ReferenceRender {
    std::unique_ptr<PhilipsPm5544Spec> card;  // set up, for regionOf
    CodeFrame frame;                          // laid out as the file's frame is

    // Throws std::runtime_error when the settings cannot make a file of this
    // layout (a 4:2:2 pattern file from a 4:4:4 canvas, say).
    static ReferenceRender of(const InspectedFile& file, const RunSettings& settings);
};
