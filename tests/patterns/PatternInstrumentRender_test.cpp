#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"
#include "writers/writeVantoKeplo.h"

namespace {

// A studio-range R'G'B' colour named by its red code.
Pixel red(int r) { return Pixel(r + 1, r + 2, r, PatternGen::Colour_RGB_219, 12); }

struct CanvasPattern : TestPattern {
    explicit CanvasPattern(PatternGen::colorAxes_e axes = PatternGen::Colour_RGB_219,
                           PatternGen::sampling_e samplingMode = PatternGen::Sampling_444) {
        colourSpace = ColourSpace(axes, 12, false);
        sampling = samplingMode;
    }
    // Renders into `file` and returns what was printed.
    std::string render(int width, int height, VantoKeploPatternFile& file) {
        std::vector<std::pair<int, int>> repeats;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(run_body(0, width, height, repeats, file));
        return testing::internal::GetCapturedStdout();
    }
};

// Each block as its percentage and sections: L(red, ...) for a literal, RnxRed for a run.
std::vector<std::string> blocks(const VantoKeploPatternFile& file) {
    std::vector<std::string> out;
    for (CompressedLine* line : file.line_blocks) {
        std::string s = std::to_string(line->GetPercentage()) + ":";
        for (const Section* section : line->sections) {
            s += section->repeatCount != 0 ? " R" + std::to_string(section->repeatCount) + "x" : " L";
            for (const Sample& sample : section->samplePairs) s += "," + std::to_string(sample.word0);
        }
        out.push_back(s);
    }
    return out;
}

}  // namespace

TEST(InstrumentRender, LinesAreCutIntoLiteralsAndRuns) {
    const std::vector<std::vector<int>> lines = {{100, 100, 100, 200, 300}, {1, 2, 3, 4, 5}, {1, 2, 2, 3, 3}};
    CanvasPattern p;
    p.colourAt = [&](int x, int y) { return red(lines.at(y).at(x)); };
    VantoKeploPatternFile file;
    p.render(5, 3, file);
    EXPECT_EQ(blocks(file), (std::vector<std::string>{"1: L,100 R2x,100 L,200,300", "1: L,1,2,3,4,5",
                                                      "1: L,1,2 R1x,2 L,3 R1x,3"}));
}

TEST(InstrumentRender, RunsOfIdenticalLinesAreCountedOrListed) {
    CanvasPattern p;
    p.colourAt = [](int x, int y) { return red(y == 10 ? 900 : 100 + x % 2); };
    VantoKeploPatternFile file;
    EXPECT_EQ(p.render(1920, 13, file), "");
    EXPECT_EQ(file.width, 1920);
    EXPECT_EQ(file.blockMode, 1);
    EXPECT_FALSE(file.singleBlock);
    const std::vector<std::string> counted = blocks(file);
    ASSERT_EQ(counted.size(), 3u);
    EXPECT_EQ(counted[1], "1: L,900 R1919x,900");
    EXPECT_EQ(counted[0].substr(0, 3), "10:");
    EXPECT_EQ(counted[2], "2:" + counted[0].substr(3));

    p.overridesRepeats = true;
    p.colourAt = [](int, int y) { return red(100 + y); };
    p.storedLines = {{0, 5}};
    VantoKeploPatternFile whole;
    p.render(1920, 9, whole);
    EXPECT_TRUE(whole.singleBlock);
    EXPECT_EQ(blocks(whole), std::vector<std::string>{"100: L,105 R1919x,105"});
    p.storedLines = {{0, 3}, {1, 7}, {2, 8}};
    VantoKeploPatternFile listed;
    p.render(1920, 9, listed);
    EXPECT_FALSE(listed.singleBlock);
    EXPECT_EQ(blocks(listed), (std::vector<std::string>{"4: L,103 R1919x,103", "4: L,107 R1919x,107",
                                                        "1: L,108 R1919x,108"}));
}

TEST(InstrumentRender, SamplePackingFollowsAxesAndSampling) {
    bool threeWords = false;  // as the render left it; releasing the file resets it
    auto first = [&](PatternGen::colorAxes_e axes, PatternGen::sampling_e s, std::function<Pixel(int, int)> colour) {
        CanvasPattern p(axes, s);
        p.colourAt = colour;
        VantoKeploPatternFile file;
        Sample::b3Words = axes != PatternGen::Colour_RGB_219 && s != PatternGen::Sampling_444;  // the opposite
        p.render(4, 1, file);
        threeWords = Sample::b3Words;
        return file.line_blocks.at(0)->sections.at(0)->samplePairs.at(0);
    };
    auto ramp = [](int x, int) { return Pixel(1000 + x, 2000 + x, 3000 + x, PatternGen::Colour_YCbCr_709, 12); };
    const auto ycc = PatternGen::Colour_YCbCr_709;
    EXPECT_EQ(first(ycc, PatternGen::Sampling_420, ramp), Sample(3000, 1000, 2000, 1001));  // Cr, Y, Cb, next Y
    EXPECT_FALSE(threeWords);
    EXPECT_EQ(first(ycc, PatternGen::Sampling_444, ramp), Sample(3000, 1000, 2000, 0));
    EXPECT_TRUE(threeWords);
    EXPECT_EQ(first(PatternGen::Colour_RGB_219, PatternGen::Sampling_422, [](int, int) { return red(3000); }),
              Sample(3000, 3001, 3002, 0));
    EXPECT_TRUE(threeWords);
    // 10-bit answers are widened to the file's 12 bits.
    const Pixel pq(509, 512, 510, PatternGen::Colour_YCbCr_PQ, 10);
    EXPECT_EQ(first(PatternGen::Colour_YCbCr_PQ, PatternGen::Sampling_444, [&](int, int) { return pq; }),
              Sample(2040, 2036, 2048, 0));
}

TEST(InstrumentRender, OtherWidthsAreWarnedOnceAndStillRendered) {
    CanvasPattern p;
    p.colourAt = [](int x, int) { return red(x / 10); };
    VantoKeploPatternFile file;
    EXPECT_EQ(p.render(1000, 3, file), "Warning 1000 is not a valid Vanto or Keplo pattern width\n");
    EXPECT_EQ(file.width, 1000);
    ASSERT_EQ(file.line_blocks.size(), 1u);
    EXPECT_EQ(file.line_blocks[0]->GetPercentage(), 3);
    EXPECT_EQ(file.line_blocks[0]->GetSectionCount(), 200);  // 100 bands of ten: a literal and a run each
}
