#pragma once

#include <memory>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

// A 16-bit RGBA PNG, not interlaced, as pm5544 writes it; its rows four
// 16-bit samples per pixel (red, green, blue, alpha), inflated and unfiltered
// here one row at a time. Any other layout is UnreadableFile. Damage: a file
// that ends early, a chunk whose checksum is wrong, image data that does not
// inflate to its rows, data or an IDAT chunk after the image data, bytes after
// the end chunk, and a size that no data of this file's length could inflate
// to (which leaves no rows to read).
std::unique_ptr<FileRows> openPngFile(const InputBytes& input, InspectedFile& file);
