// Instrument pattern files written by the program, decoded line by line and
// compared with the PNG of the same canvas. The files hold the converted code
// values themselves: 12-bit codes, or 10-bit ones for the HDR Y'CbCr canvases,
// which the 12-bit PNG holds multiplied by 4.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "support/PatternFileReader.h"
#include "support/PngReader.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "tools/Pixel.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kPngShift = 4;     // 12-bit codes sit in the top of 16 bits
constexpr int kPngShiftHdr = 6;  // 10-bit codes, widened to 12 bits, likewise

struct Rendered {
    DecodedPatternFile file;
    PngImage png;
};

// The pattern file and the PNG of one canvas, decoded; a test stops here
// when either cannot be read.
void render(const std::vector<std::string>& colour, const std::string& ext, Rendered& r)
{
    const std::string dir = testTempDir();
    std::vector<std::string> args = {"-d", std::to_string(kWidth) + "x" + std::to_string(kHeight)};
    args.insert(args.end(), colour.begin(), colour.end());
    for (const std::string& name : {"card." + ext, std::string("card.png")}) {
        std::vector<std::string> full = args;
        full.push_back(name);
        ProgramRun run = runProgram(full, dir);
        ASSERT_EQ(run.status, 0) << name << run.out << run.err;
        EXPECT_EQ(run.out.find("Warning"), std::string::npos) << run.out;
    }
    std::string error;
    ASSERT_TRUE(readPatternFile(dir + "/card." + ext, r.file, error)) << error;
    r.png = readPng(dir + "/card.png");
    ASSERT_TRUE(r.png.ok);
    ASSERT_EQ(r.png.width, static_cast<uint32_t>(kWidth));
    ASSERT_EQ(r.png.height, static_cast<uint32_t>(kHeight));
}

// Every line of the pattern file, expanded, equals the PNG's line.
void expectSameAsPng(const Rendered& r, int pngShift = kPngShift)
{
    const std::vector<std::vector<DecodedSample>> lines = r.file.lines(kHeight);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kHeight));
    for (int y = 0; y < kHeight; ++y) {
        const std::vector<std::array<uint16_t, 3>> pixels = r.file.pixels(lines[y]);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth)) << "line " << y;
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 3; ++c) {
                if (pixels[x][c] != r.png.at(x, y, c) >> pngShift) {
                    FAIL() << "x " << x << " y " << y << " channel " << c << ": " << pixels[x][c] << " against "
                           << (r.png.at(x, y, c) >> pngShift);
                }
            }
        }
    }
}

}  // namespace

TEST(PatternFiles, YCbCr422MatchesThePngAndMergesIdenticalLines)
{
    Rendered r;
    ASSERT_NO_FATAL_FAILURE(render({"-c", "709", "-s", "422"}, "pat", r));
    EXPECT_EQ(r.file.sampleFormat, 0);
    EXPECT_EQ(r.file.bitsPerSample, 12);
    EXPECT_EQ(r.file.width, kWidth);
    // Identical consecutive lines (grid rows, border blocks) share one block.
    EXPECT_LT(r.file.blocks.size(), static_cast<size_t>(kHeight));
    expectSameAsPng(r);
}

// (Cr, Y, Cb) of one pixel of a decoded file.
std::array<uint16_t, 3> pixelAt(const DecodedPatternFile& file, int x, int y)
{
    return file.pixels(file.lines(kHeight).at(y)).at(x);
}

TEST(PatternFiles, HdrYCbCrFilesHoldTheTenBitCodes)
{
    // Black in the top border, and the 75 % yellow bar of the circle.
    constexpr int kBorderX = 4, kBorderY = 2, kBarX = 375, kBarY = 300;
    const Pixel yellow = Pixel(2728, 704, 2156, PatternGen::Colour_YCbCr_2020).convertTo(PatternGen::Colour_YCbCr_PQ);
    ASSERT_EQ(yellow.bitDepth, 10);
    const std::array<uint16_t, 3> black = {512, 64, 512};
    const std::array<uint16_t, 3> bar = {yellow.cr, yellow.y, yellow.cb};
    for (const auto& [sampling, ext] : {std::pair{"422", "pat"}, std::pair{"444", "yc4"}}) {
        Rendered r;
        ASSERT_NO_FATAL_FAILURE(render({"-c", "PQ", "-s", sampling}, ext, r));
        EXPECT_EQ(r.file.bitsPerSample, 12) << ext;
        EXPECT_EQ(pixelAt(r.file, kBorderX, kBorderY), black) << ext;
        EXPECT_EQ(pixelAt(r.file, kBarX, kBarY), bar) << ext;
        expectSameAsPng(r, kPngShiftHdr);
    }
}

TEST(PatternFiles, RgbMatchesThePng)
{
    Rendered r;
    ASSERT_NO_FATAL_FAILURE(render({"-c", "RGB-headroom"}, "rgb", r));
    EXPECT_EQ(r.file.sampleFormat, 1);
    expectSameAsPng(r);
}

TEST(PatternFiles, XyzIsTheConversionOfTheRgbFile)
{
    Rendered rgb;
    Rendered xyz;
    ASSERT_NO_FATAL_FAILURE(render({"-c", "RGB-headroom"}, "rgb", rgb));
    ASSERT_NO_FATAL_FAILURE(render({"-c", "RGB-headroom"}, "xyz", xyz));
    EXPECT_EQ(xyz.file.sampleFormat, 3);
    ASSERT_EQ(xyz.file.blocks.size(), rgb.file.blocks.size());
    for (size_t b = 0; b < rgb.file.blocks.size(); ++b) {
        const std::vector<DecodedSection>& from = rgb.file.blocks[b].sections;
        const std::vector<DecodedSection>& to = xyz.file.blocks[b].sections;
        ASSERT_EQ(to.size(), from.size());
        for (size_t s = 0; s < from.size(); ++s) {
            EXPECT_EQ(to[s].repeatCount, from[s].repeatCount);  // runs stay runs
            ASSERT_EQ(to[s].samples.size(), from[s].samples.size());
            for (size_t i = 0; i < from[s].samples.size(); ++i) {
                const DecodedSample& rgbSample = from[s].samples[i];
                Sample in(rgbSample.word0, rgbSample.word1, rgbSample.word2, 0);
                Sample out;
                XYZColourSpaceConvert(&in, &out, 1, false);
                const DecodedSample expected{out.word0, out.word1, out.word2, 0};
                if (to[s].samples[i] != expected) FAIL() << "block " << b << " section " << s << " sample " << i;
            }
        }
    }
}
