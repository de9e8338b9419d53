#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"
#include "support/Capture.h"
#include "writers/writeVantoKeplo.h"

// A studio-range R'G'B' colour named by its red code.
static Pixel red(int r)
{
    return Pixel(r + 1, r + 2, r, PatternGen::Colour_RGB_219, 12);
}

struct CanvasPattern : TestPattern {
    CanvasPattern(PatternGen::colorAxes_e axes, PatternGen::sampling_e s)
    {
        colourSpace = ColourSpace(axes, 12, false), sampling = s;
    }
    std::string render(int width, int height, VantoKeploPatternFile& file)
    {  // returns what was printed
        std::vector<std::pair<int, int>> repeats;
        return stdoutOf([&] { EXPECT_TRUE(run_body(0, width, height, repeats, file)); });
    }
};

// Each block as its percentage and sections: L(red, ...) for a literal, RnxRed for a run.
static std::vector<std::string> blocks(const VantoKeploPatternFile& file)
{
    std::vector<std::string> out;
    for (CompressedLine* line : file.line_blocks) {
        out.push_back(std::to_string(line->GetPercentage()) + ":");
        for (const Section* section : line->sections) {
            out.back() += section->repeatCount != 0 ? " R" + std::to_string(section->repeatCount) + "x" : " L";
            for (const Sample& sample : section->samplePairs) out.back() += "," + std::to_string(sample.word0);
        }
    }
    return out;
}

TEST(InstrumentRender, LinesAreCutIntoLiteralsAndRunsAndOtherWidthsWarnedOnce)
{
    const std::vector<std::vector<int>> lines = {{100, 100, 100, 200, 300}, {1, 2, 3, 4, 5}, {1, 2, 2, 3, 3}};
    CanvasPattern p(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    p.colourAt = [&](int x, int y) { return red(lines.at(y).at(x)); };
    VantoKeploPatternFile file;
    EXPECT_EQ(p.render(5, 3, file), "Warning 5 is not a valid Vanto or Keplo pattern width\n");
    EXPECT_EQ(blocks(file),
              (std::vector<std::string>{"1: L,100 R2x,100 L,200,300", "1: L,1,2,3,4,5", "1: L,1,2 R1x,2 L,3 R1x,3"}));
}

TEST(InstrumentRender, RunsOfIdenticalLinesAreCountedOrStored)
{
    CanvasPattern p(PatternGen::Colour_RGB_219, PatternGen::Sampling_444);
    p.colourAt = [](int x, int y) { return red(y == 10 ? 900 : 100 + x % 2); };
    VantoKeploPatternFile file, whole;
    EXPECT_EQ(p.render(1920, 13, file), "");
    EXPECT_TRUE(file.blockMode == 1 && !file.singleBlock);
    const std::vector<std::string> counted = blocks(file);
    ASSERT_EQ(counted.size(), 3u);
    EXPECT_EQ(counted[0].substr(0, 3), "10:");
    EXPECT_EQ(counted[1], "1: L,900 R1919x,900");
    EXPECT_EQ(counted[2], "2:" + counted[0].substr(3));

    p.colourAt = [](int, int y) { return red(100 + y); };
    p.storedLines = {{0, 5}};  // one stored line stands for the whole canvas
    p.render(1920, 9, whole);
    EXPECT_TRUE(whole.singleBlock);
    EXPECT_EQ(blocks(whole), std::vector<std::string>{"100: L,105 R1919x,105"});
}

TEST(InstrumentRender, SamplePackingFollowsAxesAndSampling)
{
    bool threeWords = false;  // as the render left it; releasing the file resets it
    auto first = [&](PatternGen::colorAxes_e axes, PatternGen::sampling_e s, Pixel (*colour)(int, int)) {
        CanvasPattern p(axes, s);
        p.colourAt = colour;
        VantoKeploPatternFile file;
        Sample::b3Words = axes != PatternGen::Colour_RGB_219 && s != PatternGen::Sampling_444;  // the opposite
        p.render(4, 1, file);
        threeWords = Sample::b3Words;
        return file.line_blocks.at(0)->sections.at(0)->samplePairs.at(0);
    };
    auto ramp = [](int x, int) { return Pixel(1000 + x, 2000 + x, 3000 + x, PatternGen::Colour_YCbCr_709, 12); };
    EXPECT_EQ(first(PatternGen::Colour_YCbCr_709, PatternGen::Sampling_422, ramp), Sample(3000, 1000, 2000, 1001));
    EXPECT_FALSE(threeWords);  // Cr, Y, Cb and the next sample's Y
    EXPECT_EQ(first(PatternGen::Colour_RGB_219, PatternGen::Sampling_422, [](int, int) { return red(3000); }),
              Sample(3000, 3001, 3002, 0));
    EXPECT_TRUE(threeWords);
}
