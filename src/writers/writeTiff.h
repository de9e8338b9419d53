#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class OutputFile;

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
// The file replaces `path` only once it is complete (OutputFile).
// Returns 0 on success, -1 when the file cannot be created or written.
int writeTiff(unsigned char* samples, bool isYCbCr, int width, int height, int bitDepth,
              const std::vector<std::pair<int, int>>& repeats, const char* path);

// Reports that `path` could not be created, as libtiff and writeTiff report
// it: libtiff's error for the open, then "Could not create tiff file".
void reportCannotCreate(const char* path, const std::string& reason);

struct TiffTarget;

// The same file written row by row into an opened OutputFile, through
// libtiff: the rows go into the file's one strip as they come. Failures are
// reported on standard error as writeTiff reports them and remembered.
class TiffRowWriter {
public:
    TiffRowWriter(OutputFile& out, bool isYCbCr, int width, int height,
                  const std::vector<std::pair<int, int>>& repeats);
    ~TiffRowWriter();
    TiffRowWriter(const TiffRowWriter&) = delete;
    TiffRowWriter& operator=(const TiffRowWriter&) = delete;

    // `row` holds width pixels of three left-aligned 16-bit samples.
    void writeRow(const uint16_t* row);

    // Writes the directory and lets libtiff go; false when anything failed.
    bool finish();

private:
    OutputFile& out_;
    std::unique_ptr<TiffTarget> target_;
    std::FILE* scratch_ = nullptr;
    TIFF* tif_ = nullptr;
    uint32_t row_ = 0;
    bool ok_ = true;
};

// libtiff tag extender: makes tag 65456 known to `tif`, then runs the
// extender that was installed before this one.
void registerCustomTIFFTags(TIFF* tif);

}  // namespace TiffWriter
