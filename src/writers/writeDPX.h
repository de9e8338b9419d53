#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace DPX {

// Image-element descriptor codes (SMPTE 268M) the writer knows how to size.
// Only kRGB, kCbYCrY and kCbYCr are packed with samples.
enum eFormat {
    kRGB = 50,
    kRGBA = 51,
    kABGR = 52,
    kCbYCrY = 100,    // 4:2:2
    kCbYaCrYa = 101,  // 4:2:2 with alpha
    kCbYCr = 102,     // 4:4:4
    kCbYCrA = 103,    // 4:4:4 with alpha
};

// Texts stored in the file header.
struct Metadata {
    std::string creator;    // at most 99 characters are kept
    std::string project;    // at most 199
    std::string copyright;  // at most 199
};

}  // namespace DPX

// Stores the 16-bit sample buffer as a DPX file of 10-bit samples packed into
// 32-bit words, in the host byte order.
namespace DPXWriter {

using Metadata = DPX::Metadata;

// `samples` holds width x height pixels of four left-aligned 16-bit samples,
// (R, G, B, alpha) or (Cr, Y, Cb, alpha); each keeps its top 10 bits.
// `bitDepth` goes into the header (bit size and reference codes). The file
// replaces `path` only once it is complete (OutputFile).
// Returns 0 on success, -1 when the file cannot be created or written.
// A pm5544 run writes row by row (DpxRowWriter below); this whole-buffer form
// is kept for patterns of other authors (not used by the card).
int writeDPX(unsigned short* samples, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
             Metadata& metadata);

// The same file written row by row to a stream the caller opened: the
// headers when constructed, then one packed line per row. `path` is the name
// stored in the header.
class DpxRowWriter {
public:
    DpxRowWriter(FILE* file, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
                 const Metadata& metadata);

    // `row` holds width pixels of four samples, as above.
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
