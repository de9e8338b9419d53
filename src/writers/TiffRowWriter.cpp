#include "writers/TiffRowWriter.h"

#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "tools/SampleLayout.h"
#include "writers/LineRepeatTag.h"
#include "writers/OrderedWorker.h"
#include "writers/OutputFile.h"
#include "writers/TiffLzwCoder.h"

namespace TiffWriter {

struct TiffTarget {
    OutputFile* out;
    int fd;
};

namespace {

constexpr int kSamplesPerPixel = SampleLayout::kTiffSamplesPerPixel;
constexpr int kBitsPerSample = 16;
constexpr uint16_t kFullChromaResolution = 1;  // YCbCr subsampling factor: none
constexpr tstrip_t kTheStrip = 0;
// Rows go to the coding thread in bands of about this size (kBandsWaiting wait at most).
constexpr std::size_t kBandBytes = std::size_t{1} << 17;
// Coded data goes to the file in pieces of about this size.
constexpr std::size_t kCodedPieceBytes = std::size_t{1} << 18;

// The line-repeat list as compact JSON: [[row,line],[row,line],...].
std::string lineRepeatJson(const std::vector<std::pair<int, int>>& repeats)
{
    const nlohmann::json list = repeats;
    return list.dump();
}

// libtiff's file access, on a descriptor: the OutputFile's own, or a
// scratch file for targets libtiff cannot seek in. A refused write is
// recorded in the OutputFile, with its reason, as well as failing for libtiff.
TiffTarget& targetOf(thandle_t handle)
{
    return *static_cast<TiffTarget*>(handle);
}

tmsize_t readFile(thandle_t handle, void* data, tmsize_t size)
{
    return static_cast<tmsize_t>(read(targetOf(handle).fd, data, static_cast<std::size_t>(size)));
}

tmsize_t writeFile(thandle_t handle, void* data, tmsize_t size)
{
    const TiffTarget& target = targetOf(handle);
    const char* from = static_cast<const char*>(data);
    tmsize_t left = size;
    while (left > 0) {
        const ssize_t written = write(target.fd, from, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            target.out->fail(std::strerror(written < 0 ? errno : ENOSPC));
            return -1;
        }
        from += written;
        left -= written;
    }
    return size;
}

toff_t seekFile(thandle_t handle, toff_t offset, int whence)
{
    return static_cast<toff_t>(lseek(targetOf(handle).fd, static_cast<off_t>(offset), whence));
}

int closeFile(thandle_t)
{
    return 0;  // the OutputFile closes the file
}

toff_t sizeOfFile(thandle_t handle)
{
    struct stat info;
    return fstat(targetOf(handle).fd, &info) == 0 ? static_cast<toff_t>(info.st_size) : 0;
}

int mapNothing(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

}  // namespace

TiffRowWriter::TiffRowWriter(OutputFile& out, bool isYCbCr, int width, int height,
                             const std::vector<std::pair<int, int>>& repeats)
    : out_(out),
      coder_(std::make_unique<TiffLzwCoder>()),
      rowBytes_(static_cast<std::size_t>(width > 0 ? width : 0) * kSamplesPerPixel * (kBitsPerSample / 8)),
      bandBytes_(std::max(rowBytes_, kBandBytes / std::max<std::size_t>(rowBytes_, 1) * rowBytes_)),
      worker_(std::make_unique<OrderedWorker>(kBandsWaiting))
{
    augment_libtiff_with_custom_tags();
    // libtiff goes back to write the directory's place into the header; a
    // device or pipe gets the finished file from a scratch file instead.
    target_ = std::make_unique<TiffTarget>(TiffTarget{&out, out.descriptor()});
    if (!out.canSeek()) {
        scratch_ = std::tmpfile();
        if (scratch_ == nullptr) {
            std::fputs("Could not create tiff file\n", stderr);
            ok_ = false;
            return;
        }
        target_->fd = fileno(scratch_);
    }
    tif_ = TIFFClientOpen(out.path().c_str(), "w", target_.get(), readFile, writeFile, seekFile, closeFile, sizeOfFile,
                          mapNothing, unmapNothing);
    if (tif_ == nullptr) {
        std::fputs("Could not create tiff file\n", stderr);
        ok_ = false;
        return;
    }

    TIFFSetField(tif_, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif_, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif_, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (isYCbCr) {
        TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tif_, TIFFTAG_YCBCRSUBSAMPLING, kFullChromaResolution, kFullChromaResolution);
        TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    } else {
        TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    }
    TIFFSetField(tif_, TIFFTAG_BITSPERSAMPLE, kBitsPerSample);
    TIFFSetField(tif_, TIFFTAG_SAMPLESPERPIXEL, kSamplesPerPixel);

    if (!repeats.empty()) {
        const std::string json = lineRepeatJson(repeats);
        TIFFSetField(tif_, kLineRepeatTag, json.c_str());
    }
}

TiffRowWriter::~TiffRowWriter()
{
    worker_.reset();  // its tasks use the coder and libtiff
    if (tif_ != nullptr) {
        TIFFClose(tif_);
    }
    if (scratch_ != nullptr) {
        std::fclose(scratch_);
    }
}

bool TiffRowWriter::writeCoded()
{
    if (coder_->size() == 0) {
        return true;
    }
    // libtiff takes the data as writable memory but only writes it out.
    void* coded = const_cast<uint8_t*>(coder_->data());
    const tmsize_t size = static_cast<tmsize_t>(coder_->size());
    coder_->take();
    return TIFFWriteRawStrip(tif_, kTheStrip, coded, size) == size;
}

void TiffRowWriter::writeRow(const uint16_t* row)
{
    if (ok_ && codingFailed_) {
        ok_ = false;
    }
    if (outOfMemory_) {
        throw std::bad_alloc();  // met on the worker, reported here
    }
    if (!ok_) {
        return;
    }
    // libtiff checks the layout before the first row's data (a row of no
    // bytes is refused here, with its own report).
    if (!coding_ && TIFFWriteCheck(tif_, 0, "TIFFWriteScanline") != 1) {
        std::fputs("Could not write image\n", stderr);
        ok_ = false;
        return;
    }
    // Samples are stored in the host's byte order, as libtiff writes them.
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(row);
    band_.insert(band_.end(), bytes, bytes + rowBytes_);
    coding_ = true;
    if (band_.size() >= bandBytes_) {
        sendBand(false);
    }
}

void TiffRowWriter::sendBand(bool last)
{
    std::vector<uint8_t> next = spare_.take(bandBytes_);
    std::swap(next, band_);
    worker_->post([this, band = std::move(next), last]() mutable { codeBand(band, last); });
}

void TiffRowWriter::codeBand(std::vector<uint8_t>& band, bool last)
{
    if (!codingFailed_ && !outOfMemory_) {
        try {
            coder_->add(band.data(), band.size());
            if (last) {
                coder_->finish();
            }
            if ((last || coder_->size() >= kCodedPieceBytes) && !writeCoded()) {
                // As libtiff's own coder did, a refused write is reported
                // here while rows are written; the last one by the result.
                if (!last) {
                    std::fputs("Could not write image\n", stderr);
                }
                codingFailed_ = true;
            }
        } catch (const std::bad_alloc&) {
            outOfMemory_ = true;
        }
    }
    spare_.giveBack(std::move(band));
}

bool TiffRowWriter::finish()
{
    if (tif_ == nullptr) {
        return false;
    }
    if (ok_ && coding_) {
        sendBand(true);
    }
    worker_->wait();
    if (outOfMemory_) {
        throw std::bad_alloc();
    }
    ok_ = ok_ && !codingFailed_;
    // The directory goes out with the flush; TIFFClose then has nothing to write.
    if (ok_ && TIFFFlush(tif_) != 1) {
        ok_ = false;
    }
    TIFFClose(tif_);
    tif_ = nullptr;
    if (ok_ && scratch_ != nullptr) {
        std::rewind(scratch_);
        char block[1 << 16];
        std::size_t got;
        while ((got = std::fread(block, 1, sizeof block, scratch_)) > 0 && out_.write(block, got)) {
        }
        ok_ = std::ferror(scratch_) == 0;
    }
    return ok_ && !out_.failed();
}

}  // namespace TiffWriter
