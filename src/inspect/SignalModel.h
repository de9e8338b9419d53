#pragma once

#include <string>

#include "inspect/InspectedFile.h"
#include "settings/CardOptions.h"
#include "tools/PatternGen.h"

// How the code values of a file are to be read: the colour space of the
// canvas it was rendered in, which most files do not record. -c and -fr on
// the command line decide it; otherwise it follows the file's layout:
//   Y'CbCr (TIFF photometric 6, DPX 100 and 102, pat and yc4): 709, studio range
//   R'G'B' (TIFF photometric 2, DPX 50) and a PNG: RGB, full range (pm5544's default)
//   rgb files: RGB-headroom; xyz files: X'Y'Z' from RGB-headroom
struct SignalModel {
    PatternGen::colorAxes_e axes = PatternGen::Colour_RGB;
    bool fullRange = false;
    bool xyz = false;   // X'Y'Z' codes, converted from R'G'B' on `axes`
    std::string basis;  // how it was decided
    std::string note;   // a disagreement between -c and the file's layout

    static SignalModel choose(const InspectedFile& file, const CardOptions& options);

    bool yCbCr() const;
    // The name of a frame component: "Cr", "Y'", "Cb", "alpha"; "R'", "G'", "B'"; or "X'", "Y'", "Z'".
    const char* componentName(int component) const;
    // "709 (Y'CbCr, studio range; the file's layout says Y'CbCr, -c sets it)".
    std::string describe() const;
};
