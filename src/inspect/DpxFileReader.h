#pragma once

#include <string>

#include "inspect/InspectedFile.h"

// Reads a DPX of 10-bit data filled into 32-bit words, in either byte order,
// with descriptor 50 (RGB), 100 (CbYCrY 4:2:2) or 102 (CbYCr 4:4:4): every
// header field, and the image data as 10-bit codes. A file shorter than its
// header says, or a size field that disagrees, is damage; other descriptors,
// bit sizes and packings are UnreadableFile.
InspectedFile readDpxFile(const std::string& path);
