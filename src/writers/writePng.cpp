#include "writers/writePng.h"

#include <cstddef>

#include "tools/SampleLayout.h"
#include "writers/OutputFile.h"
#include "writers/PngRowWriter.h"

namespace PngWriter {

namespace {

constexpr std::size_t kSamplesPerPixel = SampleLayout::kImageSamplesPerPixel;  // red, green, blue, alpha

}  // namespace

int writePng(unsigned short* samples, bool /*isYCbCr*/, int width, int height, int /*bitDepth*/, const char* path)
{
    OutputFile out(path);
    if (!out.open()) {
        return -1;
    }
    PngRowWriter writer(out.stream(), width, height);
    const std::size_t rowSamples = static_cast<std::size_t>(width > 0 ? width : 0) * kSamplesPerPixel;
    for (int y = 0; y < height; ++y) {
        writer.writeRow(samples + rowSamples * static_cast<std::size_t>(y));
    }
    const bool written = writer.finish();
    return out.commit() && written ? 0 : -1;
}

}  // namespace PngWriter
