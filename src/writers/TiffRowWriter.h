#pragma once

#include <tiffio.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "writers/SpareBands.h"

class OutputFile;
class OrderedWorker;
class TiffLzwCoder;

namespace TiffWriter {

struct TiffTarget;

// An LZW-compressed TIFF of three 16-bit samples per pixel, with the
// line-repeat list in the private tag 65456 "LineRepeat" when it is not
// empty, written row by row into an opened OutputFile through libtiff: the
// rows are gathered in bands, which a thread of their own LZW-codes as
// libtiff would code them (TiffLzwCoder, much faster) while the next rows are
// made, and which go into the file's one strip as raw data as they come,
// libtiff writing the header and directory around them. Failures are reported on
// standard error as writeTiff reports them and remembered.
class TiffRowWriter {
public:
    TiffRowWriter(OutputFile& out, bool isYCbCr, int width, int height,
                  const std::vector<std::pair<int, int>>& repeats);
    ~TiffRowWriter();
    TiffRowWriter(const TiffRowWriter&) = delete;
    TiffRowWriter& operator=(const TiffRowWriter&) = delete;

    // `row` holds width pixels of three left-aligned 16-bit samples, (Y, Cb,
    // Cr) when `isYCbCr`, else (R, G, B).
    void writeRow(const uint16_t* row);

    // Writes the directory and lets libtiff go; false when anything failed.
    bool finish();

private:
    // Hands the band of rows gathered so far to the worker.
    void sendBand(bool last);
    // On the worker: codes a band, and writes the coded bytes once there are
    // enough of them or the strip is complete.
    void codeBand(std::vector<uint8_t>& band, bool last);
    // Hands the coded bytes so far to libtiff; false when it refused them.
    bool writeCoded();

    OutputFile& out_;
    std::unique_ptr<TiffTarget> target_;
    std::FILE* scratch_ = nullptr;
    TIFF* tif_ = nullptr;
    std::unique_ptr<TiffLzwCoder> coder_;
    std::size_t rowBytes_;
    std::size_t bandBytes_;
    std::vector<uint8_t> band_;                      // the rows gathered, in the host's byte order
    static constexpr std::size_t kBandsWaiting = 2;  // bands handed on that wait at most
    // Every band there can be (filled, waiting, being written) fits among the spares.
    SpareBands spare_{kBandsWaiting + 2};
    bool coding_ = false;  // a row was written
    bool ok_ = true;
    std::atomic<bool> codingFailed_{false};
    std::atomic<bool> outOfMemory_{false};
    std::unique_ptr<OrderedWorker> worker_;
};

}  // namespace TiffWriter
