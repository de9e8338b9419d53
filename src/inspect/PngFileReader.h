#pragma once

#include <string>

#include "inspect/InspectedFile.h"

// Reads a PNG into a frame of four 16-bit samples per pixel (red, green,
// blue, alpha): pm5544's 16-bit RGBA as it is; any other PNG widened, its
// codes left-aligned and a missing alpha made opaque. CRC errors and a file
// that ends early are damage; a header libpng refuses is UnreadableFile.
InspectedFile readPngFile(const std::string& path);
