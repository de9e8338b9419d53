#pragma once

#include <memory>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

// A 16-bit RGBA PNG, not interlaced, as pm5544 writes it; its rows four
// 16-bit samples per pixel (red, green, blue, alpha). Any other layout is
// UnreadableFile. A file that ends early, a bad checksum and bytes after the
// end chunk are damage; so is a size that no data of this file's length
// could inflate to, which leaves no rows to read.
std::unique_ptr<FileRows> openPngFile(const InputBytes& input, InspectedFile& file);
