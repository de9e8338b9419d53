#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "writers/SpareBands.h"

#include "writers/DpxHeader.h"

class OrderedWorker;

namespace DPXWriter {

// A DPX file of 10-bit samples packed into 32-bit words, in the host byte
// order, written row by row to a stream the caller opened: the headers when
// constructed, then one packed line per row. The packed lines are gathered
// in bands that a thread of their own writes while the next rows are made.
// `path` is the name stored in the header.
class DpxRowWriter {
public:
    DpxRowWriter(FILE* file, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
                 const DPX::Metadata& metadata);
    ~DpxRowWriter();
    DpxRowWriter(const DpxRowWriter&) = delete;
    DpxRowWriter& operator=(const DpxRowWriter&) = delete;

    // `row` holds width pixels of four left-aligned 16-bit samples, (R, G, B,
    // alpha) or (Cr, Y, Cb, alpha); each keeps its top 10 bits.
    void writeRow(const unsigned short* row);

    // Writes what is still gathered and waits for the writes; false when a
    // write was refused. Nothing is written to the stream after this.
    bool finish();

private:
    void sendBand();

    FILE* file_;
    DPX::eFormat format_;
    int width_;
    std::size_t lineBytes_ = 0;
    std::vector<uint32_t> words_;
    std::vector<unsigned char> band_;  // packed lines not yet handed on
    std::size_t bandBytes_ = 0;
    static constexpr std::size_t kBandsWaiting = 2;  // bands handed on that wait at most
    // Every band there can be (filled, waiting, being written) fits among the spares.
    SpareBands spare_{kBandsWaiting + 2};
    bool ok_ = true;
    std::atomic<bool> writeFailed_{false};
    std::unique_ptr<OrderedWorker> worker_;
};

}  // namespace DPXWriter
