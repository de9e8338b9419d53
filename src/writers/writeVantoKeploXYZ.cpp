#include <algorithm>
#include <cmath>

#include "writers/writeVantoKeplo.h"

// The incoming R'G'B' is 12-bit studio range Rec. 709; the outgoing X'Y'Z'
// follows the digital-cinema encoding and keeps clear of the 12-bit codes
// reserved for timing references.
namespace {

constexpr unsigned short kStudioBlack = 256;
constexpr unsigned short kStudioWhite = 3760;
constexpr float kStudioSteps = 3504.0f;  // white minus black

// Rec. 709 transfer: linear segment below the knee, power law above it.
constexpr float kKnee = 0.081f;
constexpr float kLinearSlope = 4.5f;
constexpr float kOffset = 0.099f;
constexpr float kScale = 1.099f;
constexpr float kInverseExponent = 2.2222223f;  // 1 / 0.45

// 48 cd/m^2 peak white over the 52.37 normalising constant, and 1 / 2.6.
constexpr float kPeakOverNormalising = 0.91655528f;
constexpr float kEncodingExponent = 0.38461539f;
constexpr float kCodeScale = 4095.0f;

constexpr unsigned short kLowestLegalCode = 16;
constexpr unsigned short kHighestLegalCode = 4079;

unsigned short encode(float v)
{
    if (v < 0.0f) v = 0.0f;
    const float compressed = powf(v * kPeakOverNormalising, kEncodingExponent);
    const unsigned short code = static_cast<unsigned short>(static_cast<int>(compressed * kCodeScale));
    return std::min(std::max(code, kLowestLegalCode), kHighestLegalCode);
}

}  // namespace

float Normalise(unsigned short code)
{
    const unsigned short clamped = std::min(std::max(code, kStudioBlack), kStudioWhite);
    return static_cast<float>(clamped - kStudioBlack) / kStudioSteps;
}

float GammaToLinear(float v)
{
    if (v < kKnee) return v / kLinearSlope;
    return powf((v + kOffset) / kScale, kInverseExponent);
}

void LinearRGBtoXYZLinearConversion(float r, float g, float b, float& x, float& y, float& z)
{
    const double R = r;
    const double G = g;
    const double B = b;
    // DCI-P3 primaries to CIE XYZ.
    x = static_cast<float>(0.4451698156 * R + 0.2771344092 * G + 0.1722826698 * B);
    y = static_cast<float>(0.2094916779 * R + 0.7215952542 * G + 0.0689130679 * B);
    z = static_cast<float>(0.0 * R + 0.0470605601 * G + 0.9073553944 * B);
    if (x < 0.0f) x = 0.0f;
    if (y < 0.0f) y = 0.0f;
    if (z < 0.0f) z = 0.0f;
}

void XYZLinearToXYZLog(float x, float y, float z, unsigned short& xCode, unsigned short& yCode, unsigned short& zCode)
{
    xCode = encode(x);
    yCode = encode(y);
    zCode = encode(z);
}

void XYZColourSpaceConvert(Sample* in, Sample* out, unsigned short count, bool /*flag*/)
{
    for (unsigned short i = 0; i < count; ++i) {
        const float r = GammaToLinear(Normalise(in[i].word0));
        const float g = GammaToLinear(Normalise(in[i].word1));
        const float b = GammaToLinear(Normalise(in[i].word2));
        float x, y, z;
        LinearRGBtoXYZLinearConversion(r, g, b, x, y, z);
        XYZLinearToXYZLog(x, y, z, out[i].word0, out[i].word1, out[i].word2);
    }
}

void Section::ConvertToXYZ(bool flag)
{
    std::vector<Sample> converted(samplePairs.size());
    // The converter counts in 16 bits; longer lists go through it in slices so
    // that no sample is dropped (saving then refuses such a section anyway).
    constexpr std::size_t kSlice = 0xFFFF;
    for (std::size_t start = 0; start < samplePairs.size(); start += kSlice) {
        const std::size_t n = std::min(kSlice, samplePairs.size() - start);
        XYZColourSpaceConvert(samplePairs.data() + start, converted.data() + start, static_cast<unsigned short>(n),
                              flag);
    }
    samplePairs.swap(converted);
}

void CompressedLine::ConvertToXYZ(bool flag)
{
    for (Section* s : sections) s->ConvertToXYZ(flag);
}

void VantoKeploPatternFile::ConvertToXYZ()
{
    const bool flag = width == kStandardDefinitionWidth;
    // Only the blocks that Save writes: the first one alone, or all of a counted list.
    if (blockMode == 0) {
        if (!line_blocks.empty()) line_blocks.front()->ConvertToXYZ(flag);
    } else if (blockMode == 1) {
        for (CompressedLine* block : line_blocks) block->ConvertToXYZ(flag);
    }
    sampleFormat = PatternFileFormat::XYZ;
    Sample::b3Words = true;
}
