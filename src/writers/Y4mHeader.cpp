#include "writers/Y4mHeader.h"

#include <numeric>

namespace Y4m {

namespace {

constexpr int kEightBits = 8;

// The depths that readers take from the C field's tag, in rising order.
constexpr int kTaggedDepths[] = {8, 9, 10, 12, 14, 16};

// The C field. Only 420paldv says that 8-bit 4:2:0 chroma sits on the
// top-left luma sample, as the card's does; above 8 bits there is no such
// tag.
std::string colourTag(Chroma chroma, int depth)
{
    std::string tag;
    switch (chroma) {
    case Chroma::Full444: tag = "444"; break;
    case Chroma::Half422: tag = "422"; break;
    case Chroma::Quarter420: tag = depth == kEightBits ? "420paldv" : "420"; break;
    }
    if (depth > kEightBits) tag += "p" + std::to_string(depth);
    return tag;
}

char interlaceTag(FieldOrder order)
{
    switch (order) {
    case FieldOrder::Progressive: return 'p';
    case FieldOrder::TopFirst: return 't';
    case FieldOrder::BottomFirst: return 'b';
    }
    return 'p';
}

std::string ratioText(Ratio r)
{
    return std::to_string(r.numerator) + ":" + std::to_string(r.denominator);
}

}  // namespace

Ratio lowestTerms(Ratio ratio)
{
    const int64_t common = std::gcd(ratio.numerator, ratio.denominator);
    if (common == 0) return ratio;
    return {ratio.numerator / common, ratio.denominator / common};
}

Ratio pixelAspectOf(int width, int height, int aspectWidth, int aspectHeight)
{
    // A pixel is (display width / samples) wide and (display height / lines) high.
    return lowestTerms({static_cast<int64_t>(aspectWidth) * height, static_cast<int64_t>(aspectHeight) * width});
}

int storedDepth(int bitDepth)
{
    for (int depth : kTaggedDepths) {
        if (depth >= bitDepth) return depth;
    }
    return bitDepth;
}

int bytesPerSample(int bitDepth)
{
    return bitDepth > kEightBits ? 2 : 1;
}

int chromaWidth(const Header& header)
{
    return header.chroma == Chroma::Full444 ? header.width : (header.width + 1) / 2;
}

int chromaHeight(const Header& header)
{
    return header.chroma == Chroma::Quarter420 ? (header.height + 1) / 2 : header.height;
}

std::string headerLine(const Header& header)
{
    const int depth = storedDepth(header.bitDepth);
    return "YUV4MPEG2 W" + std::to_string(header.width) + " H" + std::to_string(header.height) + " F" +
           ratioText(lowestTerms(header.frameRate)) + " I" + interlaceTag(header.fieldOrder) + " A" +
           ratioText(lowestTerms(header.pixelAspect)) + " C" + colourTag(header.chroma, depth) +
           " XCOLORRANGE=" + (header.fullRange ? "FULL" : "LIMITED") + "\n";
}

std::size_t frameBytes(const Header& header)
{
    const std::size_t luma = static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height);
    const std::size_t chroma =
        static_cast<std::size_t>(chromaWidth(header)) * static_cast<std::size_t>(chromaHeight(header));
    return kFrameMarkerBytes + (luma + 2 * chroma) * static_cast<std::size_t>(bytesPerSample(header.bitDepth));
}

}  // namespace Y4m
