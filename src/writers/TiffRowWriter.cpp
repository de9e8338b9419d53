#include "writers/TiffRowWriter.h"

#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/SampleLayout.h"
#include "writers/LineRepeatTag.h"
#include "writers/OutputFile.h"

namespace TiffWriter {

struct TiffTarget {
    OutputFile* out;
    int fd;
};

namespace {

constexpr int kSamplesPerPixel = SampleLayout::kTiffSamplesPerPixel;
constexpr int kBitsPerSample = 16;
constexpr uint16_t kFullChromaResolution = 1;  // YCbCr subsampling factor: none
constexpr tmsize_t kCompressedBufferBytes = tmsize_t{1} << 20;

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
    : out_(out)
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
    // libtiff would otherwise size its output buffer for the whole strip and
    // keep all the compressed data until the end; with a fixed buffer it goes
    // out as it grows (the bytes in the file are the same).
    if (TIFFWriteBufferSetup(tif_, nullptr, kCompressedBufferBytes) != 1) {
        ok_ = false;
    }
}

TiffRowWriter::~TiffRowWriter()
{
    if (tif_ != nullptr) {
        TIFFClose(tif_);
    }
    if (scratch_ != nullptr) {
        std::fclose(scratch_);
    }
}

void TiffRowWriter::writeRow(const uint16_t* row)
{
    if (!ok_) {
        return;
    }
    // libtiff takes the row as writable memory but does not change it when
    // it compresses with LZW.
    if (TIFFWriteScanline(tif_, const_cast<uint16_t*>(row), row_++, 0) < 0) {
        std::fputs("Could not write image\n", stderr);
        ok_ = false;
    }
}

bool TiffRowWriter::finish()
{
    if (tif_ == nullptr) {
        return false;
    }
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
