#pragma once

// Stores the 16-bit sample buffer as a 16-bit-per-channel RGBA PNG file. A
// pm5544 run writes its PNG row by row (PngRowWriter); this whole-buffer form
// is kept for patterns of other authors (not used by the card).
namespace PngWriter {

// `samples` holds width x height pixels of four left-aligned 16-bit samples,
// which become red, green, blue and alpha in buffer order (a Y'CbCr canvas
// thus keeps Cr, Y, Cb). `isYCbCr` and `bitDepth` do not change the file.
// The file replaces `path` only once it is complete (OutputFile).
// Returns 0 when the file was written, -1 on any failure.
int writePng(unsigned short* samples, bool isYCbCr, int width, int height, int bitDepth, const char* path);

}  // namespace PngWriter
