#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"
#include "support/PatternFileReader.h"
#include "support/TempDir.h"
#include "writers/writeVantoKeplo.h"

namespace {

// A pattern whose samples come from a function, already on the canvas axes, so
// that the renderer's conversion leaves them as they are.
class FunctionPattern : public PatternSpec {
public:
    std::function<Pixel(int, int)> colourAt;
    bool overridesRepeats = false;
    std::vector<std::pair<int, int>> lineRepeats;
    int lowestX = 1 << 30;
    int highestX = -(1 << 30);

    FunctionPattern(PatternGen::colorAxes_e axes, PatternGen::sampling_e samplingMode)
    {
        colourSpace = ColourSpace(axes, 12, false);
        sampling = samplingMode;
    }

    void setup() override {}

    Pixel body(int x, int y) override
    {
        lowestX = std::min(lowestX, x);
        highestX = std::max(highestX, x);
        return colourAt(x, y);
    }

    void getLineRepeats(std::vector<std::pair<int, int>>& repeats) override
    {
        if (overridesRepeats) {
            repeats = lineRepeats;
        } else {
            PatternSpec::getLineRepeats(repeats);
        }
    }
};

// An R'G'B' studio-range colour whose red code identifies it in the shapes below.
Pixel rgb(int r)
{
    return Pixel(r + 1, r + 2, r, PatternGen::Colour_RGB_219, 12);  // (G, B, R)
}

// The sections of a block, written as L(red, ...) for a literal and RnxRed for a run.
std::string shape(const CompressedLine& line)
{
    std::string out;
    for (const Section* s : line.sections) {
        if (!out.empty()) out += " ";
        if (s->repeatCount != 0) {
            out += "R" + std::to_string(s->repeatCount) + "x" + std::to_string(s->samplePairs.at(0).word0);
            continue;
        }
        out += "L(";
        for (std::size_t i = 0; i < s->samplePairs.size(); ++i) {
            if (i != 0) out += ",";
            out += std::to_string(s->samplePairs[i].word0);
        }
        out += ")";
    }
    return out;
}

struct Rendered {
    std::string output;  // what the renderer printed
};

Rendered render(FunctionPattern& pattern, int width, int height, VantoKeploPatternFile& file)
{
    std::vector<std::pair<int, int>> repeats;
    testing::internal::CaptureStdout();
    const bool ok = pattern.run_body(0, width, height, repeats, file);
    Rendered r{testing::internal::GetCapturedStdout()};
    EXPECT_TRUE(ok);
    return r;
}

std::string renderOneLine(const std::vector<int>& reds)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [&](int x, int) { return rgb(reds.at(x)); };
    VantoKeploPatternFile file;
    render(pattern, static_cast<int>(reds.size()), 1, file);
    EXPECT_EQ(file.line_blocks.size(), 1u);
    return file.line_blocks.empty() ? "" : shape(*file.line_blocks[0]);
}

// ---------------------------------------------------------------- cutting a line

TEST(InstrumentLineCutting, RepeatsBecomeAFirstLiteralThenARun)
{
    EXPECT_EQ(renderOneLine({100, 100, 100, 200}), "L(100) R2x100 L(200)");
}

TEST(InstrumentLineCutting, AllDifferentIsOneLiteral)
{
    EXPECT_EQ(renderOneLine({100, 200, 300}), "L(100,200,300)");
}

TEST(InstrumentLineCutting, PairsAlternateLiteralsAndRuns)
{
    EXPECT_EQ(renderOneLine({100, 200, 200, 300, 300}), "L(100,200) R1x200 L(300) R1x300");
}

TEST(InstrumentLineCutting, UniformLineIsOneSampleAndARunOfTheRest)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int) { return rgb(0); };  // all-zero words still open with a literal
    VantoKeploPatternFile file;
    const Rendered r = render(pattern, 1280, 3, file);
    EXPECT_EQ(r.output, "");
    ASSERT_EQ(file.line_blocks.size(), 1u);
    EXPECT_EQ(shape(*file.line_blocks[0]), "L(0) R1279x0");
    EXPECT_EQ(file.line_blocks[0]->GetPercentage(), 3);
    EXPECT_EQ(file.width, 1280);
    EXPECT_EQ(pattern.lowestX, 0);
    EXPECT_EQ(pattern.highestX, 1279);
}

TEST(InstrumentLineCutting, OverlongRunIsRefused)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int) { return rgb(500); };
    VantoKeploPatternFile file;
    std::vector<std::pair<int, int>> repeats;
    testing::internal::CaptureStdout();
    EXPECT_THROW(pattern.run_body(0, 40000, 1, repeats, file), std::runtime_error);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(file.line_blocks.empty());
}

// ---------------------------------------------------------------- merging lines

TEST(InstrumentLineMerging, ConsecutiveIdenticalLinesShareABlock)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    // Lines 0-9 alike, line 10 different, lines 11-12 like line 0 again.
    pattern.colourAt = [](int x, int y) { return rgb(y == 10 ? 900 : 100 + (x % 2)); };
    VantoKeploPatternFile file;
    render(pattern, 1920, 13, file);
    EXPECT_EQ(file.blockMode, 1);
    EXPECT_FALSE(file.singleBlock);
    ASSERT_EQ(file.line_blocks.size(), 3u);
    EXPECT_EQ(file.line_blocks[0]->GetPercentage(), 10);
    EXPECT_EQ(file.line_blocks[1]->GetPercentage(), 1);
    EXPECT_EQ(file.line_blocks[2]->GetPercentage(), 2);
    EXPECT_EQ(shape(*file.line_blocks[1]), "L(900) R1919x900");
    EXPECT_TRUE(*file.line_blocks[0] == *file.line_blocks[2]);
}

TEST(InstrumentLineMerging, ZeroHeightGivesNoBlocks)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int) { return rgb(100); };
    VantoKeploPatternFile file;
    render(pattern, 1920, 0, file);
    EXPECT_TRUE(file.line_blocks.empty());
    EXPECT_EQ(file.blockMode, 1);
}

TEST(InstrumentLineMerging, OnePairRepeatListIsTheWholeFrame)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int y) { return rgb(100 + y); };
    pattern.overridesRepeats = true;
    pattern.lineRepeats = {{0, 5}};
    VantoKeploPatternFile file;
    render(pattern, 1920, 10, file);
    EXPECT_EQ(file.blockMode, 1);
    EXPECT_TRUE(file.singleBlock);
    ASSERT_EQ(file.line_blocks.size(), 1u);
    EXPECT_EQ(file.line_blocks[0]->GetPercentage(), 100);
    EXPECT_EQ(shape(*file.line_blocks[0]), "L(105) R1919x105");
}

TEST(InstrumentLineMerging, RepeatListCountsLinesBetweenPairs)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int y) { return rgb(100 + y); };
    pattern.overridesRepeats = true;
    pattern.lineRepeats = {{0, 3}, {1, 7}, {2, 8}};
    VantoKeploPatternFile file;
    render(pattern, 1920, 9, file);
    EXPECT_FALSE(file.singleBlock);
    ASSERT_EQ(file.line_blocks.size(), 3u);
    EXPECT_EQ(file.line_blocks[0]->GetPercentage(), 4);
    EXPECT_EQ(file.line_blocks[1]->GetPercentage(), 4);
    EXPECT_EQ(file.line_blocks[2]->GetPercentage(), 1);
    EXPECT_EQ(shape(*file.line_blocks[1]), "L(107) R1919x107");
}

TEST(InstrumentLineMerging, RepeatListOutOfOrderIsRefused)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int y) { return rgb(100 + y); };
    pattern.overridesRepeats = true;
    pattern.lineRepeats = {{0, 7}, {1, 3}};
    VantoKeploPatternFile file;
    std::vector<std::pair<int, int>> repeats;
    EXPECT_THROW(pattern.run_body(0, 1920, 9, repeats, file), std::runtime_error);
    EXPECT_EQ(file.line_blocks.size(), 1u);  // the blocks before the fault stay with the file
}

// ---------------------------------------------------------------- sample layout

TEST(InstrumentSamples, FourTwoTwoPairsChromaOfTheEvenPixelWithBothLumas)
{
    for (PatternGen::sampling_e mode : {PatternGen::Sampling_422, PatternGen::Sampling_420}) {
        FunctionPattern pattern(PatternGen::Colour_YCbCr_709, mode);
        pattern.colourAt = [](int x, int) { return Pixel(1000 + x, 2000 + x, 3000 + x, PatternGen::Colour_YCbCr_709, 12); };
        VantoKeploPatternFile file;
        Sample::b3Words = true;
        render(pattern, 4, 2, file);
        EXPECT_FALSE(Sample::b3Words);
        ASSERT_EQ(file.line_blocks.size(), 1u);
        const Section& s = *file.line_blocks[0]->sections.at(0);
        ASSERT_EQ(s.samplePairs.size(), 2u);
        EXPECT_EQ(s.samplePairs[0], Sample(3000, 1000, 2000, 1001));  // Cr, Y, Cb, next Y
        EXPECT_EQ(s.samplePairs[1], Sample(3002, 1002, 2002, 1003));
    }
}

TEST(InstrumentSamples, OddWidthPairsTheLastPixelWithItself)
{
    FunctionPattern pattern(PatternGen::Colour_YCbCr_709, PatternGen::Sampling_422);
    pattern.colourAt = [](int x, int) { return Pixel(1000 + x, 2000, 2048, PatternGen::Colour_YCbCr_709, 12); };
    VantoKeploPatternFile file;
    render(pattern, 5, 1, file);
    EXPECT_EQ(pattern.highestX, 4);
    const Section& s = *file.line_blocks.at(0)->sections.at(0);
    ASSERT_EQ(s.samplePairs.size(), 3u);
    EXPECT_EQ(s.samplePairs[2], Sample(2048, 1004, 2000, 1004));
}

TEST(InstrumentSamples, FourFourFourYCbCrIsCrYCbInThreeWords)
{
    FunctionPattern pattern(PatternGen::Colour_YCbCr_709, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int) { return Pixel(1500, 1600, 1700, PatternGen::Colour_YCbCr_709, 12); };
    VantoKeploPatternFile file;
    render(pattern, 2048, 1, file);
    EXPECT_TRUE(Sample::b3Words);
    EXPECT_EQ(file.line_blocks.at(0)->sections.at(0)->samplePairs.at(0), Sample(1700, 1500, 1600, 0));
}

TEST(InstrumentSamples, RGBIsRedGreenBlue)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_422);  // sampling ignored for R'G'B'
    pattern.colourAt = [](int, int) { return Pixel(1111, 2222, 3333, PatternGen::Colour_RGB_219, 12); };
    VantoKeploPatternFile file;
    render(pattern, 1920, 1, file);
    EXPECT_TRUE(Sample::b3Words);
    EXPECT_EQ(shape(*file.line_blocks.at(0)), "L(3333) R1919x3333");
    EXPECT_EQ(file.line_blocks[0]->sections[0]->samplePairs[0], Sample(3333, 1111, 2222, 0));
}

TEST(InstrumentSamples, TenBitPixelsAreWidenedToTwelveBits)
{
    FunctionPattern pattern(PatternGen::Colour_YCbCr_PQ, PatternGen::Sampling_444);
    pattern.colourAt = [](int, int) { return Pixel(509, 512, 510, PatternGen::Colour_YCbCr_PQ, 10); };
    VantoKeploPatternFile file;
    render(pattern, 1920, 1, file);
    EXPECT_EQ(file.line_blocks.at(0)->sections.at(0)->samplePairs.at(0), Sample(2040, 2036, 2048, 0));
}

// ---------------------------------------------------------------- width check

TEST(InstrumentWidth, OddWidthIsWarnedOnceAndStillRendered)
{
    FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    pattern.colourAt = [](int x, int) { return rgb(x / 10); };
    VantoKeploPatternFile file;
    const Rendered r = render(pattern, 1000, 3, file);
    EXPECT_EQ(r.output, "Warning 1000 is not a valid Vanto or Keplo pattern width\n");
    EXPECT_EQ(file.width, 1000);
    ASSERT_EQ(file.line_blocks.size(), 1u);
    EXPECT_EQ(file.line_blocks[0]->GetPercentage(), 3);
    EXPECT_EQ(file.line_blocks[0]->GetSectionCount(), 200);  // 100 bands of ten: literal then run
}

TEST(InstrumentWidth, InstrumentWidthsAreNotWarned)
{
    for (int width : {1280, 1920, 2048}) {
        FunctionPattern pattern(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
        pattern.colourAt = [](int, int) { return rgb(300); };
        VantoKeploPatternFile file;
        EXPECT_EQ(render(pattern, width, 1, file).output, "") << width;
    }
}

// ---------------------------------------------------------------- through the file

TEST(InstrumentRoundTrip, SavedFileDecodesToTheRenderedPixels)
{
    FunctionPattern pattern(PatternGen::Colour_YCbCr_709, PatternGen::Sampling_422);
    auto colour = [](int x, int y) {
        const int band = y < 3 ? 0 : 1;
        return Pixel(256 + (x / 7) * 16 + band, 2048 - (x / 4), 2048 + (x / 4), PatternGen::Colour_YCbCr_709, 12);
    };
    pattern.colourAt = colour;
    VantoKeploPatternFile file;
    file.sampleFormat = PatternFileFormat::YCbCr422;
    render(pattern, 1280, 5, file);
    const std::string path = testTempDir() + "/card.pat";
    ASSERT_TRUE(file.Save(path));

    DecodedPatternFile decoded;
    std::string error;
    ASSERT_TRUE(readPatternFile(path, decoded, error)) << error;
    EXPECT_EQ(decoded.width, 1280);
    EXPECT_EQ(decoded.lineCountFlag, 1);
    EXPECT_EQ(decoded.blockCount, 2u);
    const auto lines = decoded.lines();
    ASSERT_EQ(lines.size(), 5u);
    for (int y = 0; y < 5; ++y) {
        const auto pixels = decoded.pixels(lines[y]);
        ASSERT_EQ(pixels.size(), 1280u);
        for (int x = 0; x < 1280; ++x) {
            const Pixel own = colour(x, y);
            const Pixel chroma = colour(x - x % 2, y);
            const std::array<uint16_t, 3> expected{chroma.cr, own.y, chroma.cb};
            ASSERT_EQ(pixels[x], expected) << "x " << x << " y " << y;
        }
    }
}

}  // namespace
