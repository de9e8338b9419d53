#include "rows/ImageRows.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>

#include "patterns/PatternWrapper.h"
#include "tools/SampleLayout.h"
#include "tools/rounding.h"

namespace {

using SampleLayout::kRenderBitDepth;
using SampleLayout::leftAligned;
constexpr int kSamplesPerPixel = SampleLayout::kImageSamplesPerPixel;
constexpr std::size_t kCr = 0, kY = 1, kCb = 2, kAlpha = 3;

// Line-end shaping: the outermost sample keeps 10 % of its colour, the next 67 %.
constexpr double kOuterEndBlack = 0.9;
constexpr double kInnerEndBlack = 0.33;

// Which samples of the picture a row covers.
struct Range {
    int xFirst = 0;
    int yFirst = 0;
    int pictureLineFirst = 0;
    int pictureLineLast = 0;
};

Range rangeOf(PatternSpec& pattern, int width, int height)
{
    const int half = width / 2;
    Range r{-half, 0, -half, -half + width - 1};
    if (pattern.useFullCanvasSize()) {
        if (pattern.quadrant != PatternGen::Quadrant_None) {
            throw std::runtime_error("Quadrant mode is depracated");
        }
        r.xFirst = 0;
        r.pictureLineFirst = 0;
        r.pictureLineLast = width - 1;
    } else if (pattern.quadrant != PatternGen::Quadrant_None) {
        // The picture is twice the output size; one quarter of it is written.
        const PatternGen::quadrant_e q = pattern.quadrant;
        const bool right = q == PatternGen::Quadrant_TopRight || q == PatternGen::Quadrant_BottomRight;
        const bool bottom = q == PatternGen::Quadrant_BottomRight || q == PatternGen::Quadrant_BottomLeft;
        r.pictureLineFirst = -width;
        r.pictureLineLast = width - 1;
        r.xFirst = right ? 0 : -width;
        r.yFirst = bottom ? height : 0;
    }
    return r;
}

}  // namespace

ImageRows::ImageRows(PatternSpec& pattern, int width, int height)
    : pattern_(pattern),
      width_(width > 0 ? width : 0),
      reader_(pattern, rangeOf(pattern, width, height).xFirst, width),
      converted_(pattern.colourSpace.axis, CanvasConversion::CodeDepth::Render12Bit)
{
    const Range r = rangeOf(pattern, width, height);
    xFirst_ = r.xFirst;
    yFirst_ = r.yFirst;
    pictureLineFirst_ = r.pictureLineFirst;
    pictureLineLast_ = r.pictureLineLast;
    shapeLineEnds_ = pattern.riseTimeEnabled && !pattern.skipLineEndShaping;
    black_ = Pixel(0, 0, 0, PatternGen::Colour_RGB, kRenderBitDepth);
    if (pattern.colourSpace.isColourDifference()) {
        black_ = black_.convertTo(PatternGen::Colour_YCbCr_709);
    }
}

ImageRows::Samples ImageRows::samplesOf(const Pixel& c) const
{
    Samples s = {leftAligned(c.cr), leftAligned(c.y), leftAligned(c.cb), leftAligned(c.alpha)};
    if (roundBits_ != 0) {
        Rounding::roundSamples(s.data(), 1, pattern_.colourSpace.axis, roundBits_);
    }
    return s;
}

void ImageRows::shapeEnd(int x, const Pixel& converted, Samples& s) const
{
    Pixel c = converted;
    if (x <= pictureLineFirst_) {
        c = black_.blend(kOuterEndBlack, kOuterEndBlack, c);
    } else if (x <= pictureLineFirst_ + 1) {
        c = black_.blend(kInnerEndBlack, kInnerEndBlack, c);
    }
    if (x >= pictureLineLast_) {
        c = black_.blend(kOuterEndBlack, kOuterEndBlack, c);
    } else if (x >= pictureLineLast_ - 1) {
        c = black_.blend(kInnerEndBlack, kInnerEndBlack, c);
    }
    s = samplesOf(c);
}

void ImageRows::putSamples(const uint32_t* line, int first, int end, uint16_t* out)
{
    const bool subsampled = pattern_.sampling != PatternGen::Sampling_444;
    for (int i = first; i < end; ++i) {
        const int x = xFirst_ + i;
        Samples shaped;
        const Samples* s = &samples_[line[i]];
        if (shapeLineEnds_ && (x <= pictureLineFirst_ + 1 || x >= pictureLineLast_ - 1)) {
            shapeEnd(x, converted_[line[i]], shaped);
            s = &shaped;
        }
        if ((x & 1) == 0) {
            chroma_ = *s;
        }
        uint16_t* o = out + static_cast<std::size_t>(i) * kSamplesPerPixel;
        o[kY] = (*s)[kY];
        o[kAlpha] = (*s)[kAlpha];
        const Samples& c = subsampled ? chroma_ : *s;
        o[kCr] = c[kCr];
        o[kCb] = c[kCb];
    }
}

void ImageRows::putPlainSamples(const uint32_t* line, int first, int end, uint16_t* out)
{
    // Local copies: the compiler cannot tell that stores to `out` leave the
    // table and the carried chroma alone.
    const Samples* table = samples_.data();
    uint16_t* o = out + static_cast<std::size_t>(std::max(first, 0)) * kSamplesPerPixel;
    if (pattern_.sampling == PatternGen::Sampling_444) {
        for (int i = first; i < end; ++i, o += kSamplesPerPixel) {
            const Samples s = table[line[i]];
            std::memcpy(o, s.data(), sizeof s);
        }
        return;  // the carried chroma is read only when subsampling
    }
    // Subsampled: an even sample is stored whole and gives its chroma to
    // the odd ones after it.
    Samples chroma = chroma_;
    for (int i = first; i < end; ++i, o += kSamplesPerPixel) {
        const Samples s = table[line[i]];
        if (((xFirst_ + i) & 1) == 0) {
            chroma = s;
            std::memcpy(o, s.data(), sizeof s);
        } else {
            Samples mixed = s;
            mixed[kCr] = chroma[kCr];
            mixed[kCb] = chroma[kCb];
            std::memcpy(o, mixed.data(), sizeof mixed);
        }
    }
    chroma_ = chroma;
}

void ImageRows::next(uint16_t* out)
{
    if (row_ == 0) {
        // Before the first even sample the chroma is that of a default pixel.
        chroma_ = samplesOf(Pixel());
    }
    const int y = yFirst_ + row_;
    const uint32_t* line = reader_.line(y);
    if (converted_.update(reader_.colours()) != 0) {
        for (std::size_t i = samples_.size(); i < converted_.size(); ++i) {
            samples_.push_back(samplesOf(converted_[static_cast<uint32_t>(i)]));
        }
    }

    // Samples near the picture's line ends are shaped; those between are
    // taken from the colour table as they are, in a loop of their own.
    int plainFirst = 0;
    int plainEnd = width_;
    if (shapeLineEnds_) {
        plainFirst = std::max(0, std::min(width_, pictureLineFirst_ + 2 - xFirst_));
        plainEnd = std::max(plainFirst, std::min(width_, pictureLineLast_ - 1 - xFirst_));
    }
    putSamples(line, 0, plainFirst, out);
    putPlainSamples(line, plainFirst, plainEnd, out);
    putSamples(line, plainEnd, width_, out);

    const PatternGen::sampling_e sampling = pattern_.sampling;
    // 4:2:0 odd lines repeat the chroma of the line above; a first row on an
    // odd line has none above it and keeps its own chroma.
    if (sampling == PatternGen::Sampling_420) {
        if ((y & 1) != 0 && row_ > 0) {
            for (int i = 0; i < width_; ++i) {
                const std::size_t at = static_cast<std::size_t>(i) * kSamplesPerPixel;
                out[at + kCr] = above_[at + kCr];
                out[at + kCb] = above_[at + kCb];
            }
        }
        above_.assign(out, out + static_cast<std::size_t>(width_) * kSamplesPerPixel);
    }
    ++row_;
}
