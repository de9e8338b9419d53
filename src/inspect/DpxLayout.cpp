#include "inspect/DpxLayout.h"

#include "inspect/FrameShape.h"

#include "tools/SampleLayout.h"
#include "writers/DpxHeader.h"
#include "writers/writeDPX.h"

namespace DpxLayout {

namespace {

using DPX::kPixelsPerGroup;
constexpr int kBytesPerWord = static_cast<int>(DPX::kBytesPerWord);
constexpr int kBytesPerGroup = DPX::kWordsPerGroup * kBytesPerWord;
constexpr int kRenderSamples = SampleLayout::kImageSamplesPerPixel;
constexpr int kDatumShift = SampleLayout::kSampleBits - kDatumBits;

}  // namespace

bool isReadable(int descriptor)
{
    return descriptor == DPX::kRGB || descriptor == DPX::kCbYCrY || descriptor == DPX::kCbYCr;
}

const char* descriptorName(int descriptor)
{
    switch (descriptor) {
    case DPX::kRGB: return "RGB";
    case DPX::kRGBA: return "RGBA";
    case DPX::kABGR: return "ABGR";
    case DPX::kCbYCrY: return "CbYCrY 4:2:2";
    case DPX::kCbYaCrYa: return "CbYaCrYa 4:2:2 with alpha";
    case DPX::kCbYCr: return "CbYCr 4:4:4";
    case DPX::kCbYCrA: return "CbYCrA 4:4:4 with alpha";
    }
    return "unknown";
}

long long lineBytes(int descriptor, long long width)
{
    if (descriptor == DPX::kCbYCrY) return width * kBytesPerGroup / kPixelsPerGroup;
    return width * kBytesPerWord;
}

int storedPixels(int descriptor, int width)
{
    if (descriptor == DPX::kCbYCrY) return width / kPixelsPerGroup * kPixelsPerGroup;
    return width;
}

void rowOf(const uint16_t* renderRow, int width, int descriptor, uint16_t* row)
{
    const int stored = storedPixels(descriptor, width);
    const bool pairs = descriptor == DPX::kCbYCrY;
    for (int x = 0; x < width; ++x) {
        uint16_t* out = row + static_cast<std::size_t>(x) * 3;
        if (x >= stored) {
            out[0] = out[1] = out[2] = 0;
            continue;
        }
        const std::size_t pixel = static_cast<std::size_t>(x) * kRenderSamples;
        const std::size_t chroma = pairs && (x & 1) != 0 ? pixel - kRenderSamples : pixel;
        out[FrameShape::kCrOrR] = renderRow[chroma + FrameShape::kCrOrR] >> kDatumShift;
        out[FrameShape::kYOrG] = renderRow[pixel + FrameShape::kYOrG] >> kDatumShift;
        out[FrameShape::kCbOrB] = renderRow[chroma + FrameShape::kCbOrB] >> kDatumShift;
    }
}

}  // namespace DpxLayout
