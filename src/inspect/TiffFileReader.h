#pragma once

#include <array>
#include <string>

#include "inspect/InspectedFile.h"

// Reads a TIFF of three 16-bit samples per pixel, R'G'B' (photometric 2) or
// Y'CbCr (photometric 6) as pm5544 writes them, with its tags and the
// line-repeat list of tag 65456. A file cut short or a strip that does not
// decode is damage; any other sample layout is UnreadableFile.
InspectedFile readTiffFile(const std::string& path);

// The frame component of each stored sample: (Y', Cb, Cr) or (R, G, B).
std::array<int, 3> tiffStoredComponents(bool yCbCr);
