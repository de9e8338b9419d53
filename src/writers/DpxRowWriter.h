#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "writers/DpxHeader.h"

namespace DPXWriter {

// A DPX file of 10-bit samples packed into 32-bit words, in the host byte
// order, written row by row to a stream the caller opened: the headers when
// constructed, then one packed line per row. `path` is the name stored in
// the header.
class DpxRowWriter {
public:
    DpxRowWriter(FILE* file, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
                 const DPX::Metadata& metadata);

    // `row` holds width pixels of four left-aligned 16-bit samples, (R, G, B,
    // alpha) or (Cr, Y, Cb, alpha); each keeps its top 10 bits.
    void writeRow(const unsigned short* row);

    // False once a write was refused.
    bool ok() const { return ok_; }

private:
    FILE* file_;
    DPX::eFormat format_;
    int width_;
    std::size_t lineBytes_ = 0;
    std::vector<uint32_t> words_;
    bool ok_ = true;
};

}  // namespace DPXWriter
