#pragma once

#include <tiffio.h>

// The private TIFF tag 65456 "LineRepeat": the line-repeat list as JSON text
// ([[row,line],...]). The one description of it that the writer and the
// reader give libtiff.
namespace TiffWriter {

constexpr ttag_t kLineRepeatTag = 65456;

// Makes the tag known to every TIFF libtiff opens from now on in this
// process; the first call installs the extender, later calls do nothing.
void augment_libtiff_with_custom_tags();

// libtiff tag extender: makes tag 65456 known to `tif`, then runs the
// extender that was installed before this one.
void registerCustomTIFFTags(TIFF* tif);

}  // namespace TiffWriter
