#pragma once

#include "writers/DpxHeader.h"

// Stores the 16-bit sample buffer as a DPX file of 10-bit samples packed into
// 32-bit words, in the host byte order.
namespace DPXWriter {

using Metadata = DPX::Metadata;

// `samples` holds width x height pixels of four left-aligned 16-bit samples,
// (R, G, B, alpha) or (Cr, Y, Cb, alpha); each keeps its top 10 bits.
// `bitDepth` goes into the header (bit size and reference codes). The file
// replaces `path` only once it is complete (OutputFile).
// Returns 0 on success, -1 when the file cannot be created or written.
// A pm5544 run writes row by row (DpxRowWriter); this whole-buffer form
// is kept for patterns of other authors (not used by the card).
int writeDPX(unsigned short* samples, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
             Metadata& metadata);

}  // namespace DPXWriter
