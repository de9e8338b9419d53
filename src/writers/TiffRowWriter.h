#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

class OutputFile;

namespace TiffWriter {

struct TiffTarget;

// An LZW-compressed TIFF of three 16-bit samples per pixel, with the
// line-repeat list in the private tag 65456 "LineRepeat" when it is not
// empty, written row by row into an opened OutputFile through libtiff: the
// rows go into the file's one strip as they come. Failures are
// reported on standard error as writeTiff reports them and remembered.
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
    OutputFile& out_;
    std::unique_ptr<TiffTarget> target_;
    std::FILE* scratch_ = nullptr;
    TIFF* tif_ = nullptr;
    uint32_t row_ = 0;
    bool ok_ = true;
};

}  // namespace TiffWriter
