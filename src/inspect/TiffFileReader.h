#pragma once

#include <array>
#include <memory>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

// A TIFF as pm5544 writes it: three 16-bit samples per pixel, R'G'B'
// (photometric 2) or Y'CbCr (photometric 6) without subsampling, in LZW (or
// uncompressed) strips, with its tags and the line-repeat list of tag 65456.
// Rows are read one at a time. A file cut short (a directory, tag or strip
// past its end), a strip that does not decode and a size the strips' length
// cannot hold are damage; bytes after the last one the directory uses are a
// note (a TIFF has no end of its own). Any other layout is UnreadableFile.
std::unique_ptr<FileRows> openTiffFile(const InputBytes& input, InspectedFile& file);

// The frame component of each stored sample: (Y', Cb, Cr) or (R, G, B).
std::array<int, 3> tiffStoredComponents(bool yCbCr);
