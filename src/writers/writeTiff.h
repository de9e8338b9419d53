#pragma once

#include <tiffio.h>

#include <utility>
#include <vector>

// Stores the TIFF buffer as an LZW-compressed TIFF of three 16-bit samples per
// pixel, with the line-repeat list as JSON text in the private tag 65456
// "LineRepeat".
namespace TiffWriter {

// The private tag that carries the line-repeat list.
constexpr ttag_t kLineRepeatTag = 65456;

// `samples` holds height rows of width pixels, three left-aligned 16-bit
// samples each: (Y, Cb, Cr) when `isYCbCr`, else (R, G, B). Each pair of
// `repeats` is (stored row, canvas line shown in it); the tag is written only
// when the list is not empty. `bitDepth` does not change the file.
// Returns 0 on success, -1 when the file cannot be created or the image
// cannot be written.
int writeTiff(unsigned char* samples, bool isYCbCr, int width, int height, int bitDepth,
              const std::vector<std::pair<int, int>>& repeats, const char* path);

// libtiff tag extender: makes tag 65456 known to `tif`, then runs the
// extender that was installed before this one.
void registerCustomTIFFTags(TIFF* tif);

}  // namespace TiffWriter
