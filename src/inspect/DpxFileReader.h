#pragma once

#include <memory>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

// A DPX as pm5544 writes it (descriptors 50, 102 and 100, 10-bit data filled
// into 32-bit words), with every header field. Rows are three 10-bit samples
// per pixel. Lines the file's length cannot hold, a size field that differs
// and bytes after the image data are damage; any other layout is
// UnreadableFile.
std::unique_ptr<FileRows> openDpxFile(const InputBytes& input, InspectedFile& file);
