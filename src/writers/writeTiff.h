#pragma once

#include <string>
#include <utility>
#include <vector>

#include "writers/LineRepeatTag.h"

// Stores the TIFF buffer as an LZW-compressed TIFF of three 16-bit samples per
// pixel, with the line-repeat list as JSON text in the private tag 65456
// "LineRepeat".
namespace TiffWriter {

// `samples` holds height rows of width pixels, three left-aligned 16-bit
// samples each: (Y, Cb, Cr) when `isYCbCr`, else (R, G, B). Each pair of
// `repeats` is (stored row, canvas line shown in it); the tag is written only
// when the list is not empty. `bitDepth` does not change the file.
// The file replaces `path` only once it is complete (OutputFile).
// Returns 0 on success, -1 when the file cannot be created or written.
// A pm5544 run writes row by row (TiffRowWriter); this whole-buffer
// form is kept for patterns of other authors (not used by the card).
int writeTiff(unsigned char* samples, bool isYCbCr, int width, int height, int bitDepth,
              const std::vector<std::pair<int, int>>& repeats, const char* path);

// Reports that `path` could not be created, as libtiff and writeTiff report
// it: libtiff's error for the open, then "Could not create tiff file".
void reportCannotCreate(const char* path, const std::string& reason);

}  // namespace TiffWriter
