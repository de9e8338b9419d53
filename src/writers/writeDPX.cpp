#include "writers/writeDPX.h"

#include <algorithm>
#include <cstddef>

#include "tools/SampleLayout.h"
#include "writers/DpxRowWriter.h"
#include "writers/OutputFile.h"

namespace DPXWriter {

int writeDPX(unsigned short* samples, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
             Metadata& metadata)
{
    OutputFile out(path);
    if (!out.open()) {
        return -1;
    }
    DpxRowWriter writer(out.stream(), format, width, height, bitDepth, path, metadata);
    const std::size_t rowSamples = SampleLayout::kImageSamplesPerPixel * static_cast<std::size_t>(std::max(width, 0));
    for (int y = 0; y < height; ++y) {
        writer.writeRow(samples + rowSamples * static_cast<std::size_t>(y));
    }
    const bool written = writer.finish();
    return out.commit() && written ? 0 : -1;
}

}  // namespace DPXWriter
