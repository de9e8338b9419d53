#include "writers/writeTiff.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/SampleLayout.h"
#include "writers/OutputFile.h"
#include "writers/TiffRowWriter.h"

namespace TiffWriter {

void reportCannotCreate(const char* path, const std::string& reason)
{
    TIFFError("TIFFOpen", "%s: %s", path, reason.c_str());
    std::fputs("Could not create tiff file\n", stderr);
}

int writeTiff(unsigned char* samples, bool isYCbCr, int width, int height, int /*bitDepth*/,
              const std::vector<std::pair<int, int>>& repeats, const char* path)
{
    OutputFile out(path);
    if (!out.open()) {
        reportCannotCreate(path, out.error());
        return -1;
    }
    TiffRowWriter writer(out, isYCbCr, width, height, repeats);
    const uint16_t* rows = reinterpret_cast<const uint16_t*>(samples);
    const std::size_t rowSamples = static_cast<std::size_t>(width > 0 ? width : 0) * SampleLayout::kTiffSamplesPerPixel;
    for (int y = 0; y < height; ++y) {
        writer.writeRow(rows + rowSamples * static_cast<std::size_t>(y));
    }
    const bool written = writer.finish();
    return out.commit() && written ? 0 : -1;
}

}  // namespace TiffWriter
