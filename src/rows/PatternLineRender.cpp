// The two image forms of run_body: every row of the buffer is made by the
// row producers the program also uses to stream its output.

#include <cstddef>

#include "patterns/PatternWrapper.h"
#include "rows/ImageRows.h"
#include "rows/TiffRows.h"
#include "tools/SampleLayout.h"

bool PatternSpec::run_body(int /*commandLineValue*/, int width, int height, unsigned short* buffer)
{
    ImageRows rows(*this, width, height);
    const std::size_t rowSamples =
        static_cast<std::size_t>(width > 0 ? width : 0) * SampleLayout::kImageSamplesPerPixel;
    for (int row = 0; row < height; ++row) {
        rows.next(buffer + static_cast<std::size_t>(row) * rowSamples);
    }
    return true;
}

bool PatternSpec::run_body(int /*commandLineValue*/, int width, int& height, std::vector<std::pair<int, int>>& repeats,
                           unsigned char* buffer)
{
    TiffRows rows(*this, width, height, repeats);
    unsigned short* samples = reinterpret_cast<unsigned short*>(buffer);
    const std::size_t rowSamples = static_cast<std::size_t>(width > 0 ? width : 0) * SampleLayout::kTiffSamplesPerPixel;
    for (int row = 0; row < rows.rows(); ++row) {
        rows.next(samples + static_cast<std::size_t>(row) * rowSamples);
    }
    // With a list of stored lines the image holds one row per stored line.
    if (!repeats.empty()) {
        height = rows.rows();
    }
    return true;
}
