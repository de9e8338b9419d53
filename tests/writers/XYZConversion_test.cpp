#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/PatternFileReader.h"
#include "support/TempDir.h"
#include "writers/writeVantoKeplo.h"

namespace {

Sample converted(uint16_t r, uint16_t g, uint16_t b)
{
    Sample in(r, g, b, 0);
    Sample out;
    XYZColourSpaceConvert(&in, &out, 1, false);
    return out;
}

void expectXYZ(const Sample& s, uint16_t x, uint16_t y, uint16_t z)
{
    EXPECT_EQ(s.word0, x);
    EXPECT_EQ(s.word1, y);
    EXPECT_EQ(s.word2, z);
    EXPECT_EQ(s.word3, 0);
}

// ---------------------------------------------------------------- reference colours

TEST(XYZReferenceColours, White)
{
    expectXYZ(converted(3760, 3760, 3760), 3793, 3960, 3889);
}

TEST(XYZReferenceColours, Black)
{
    expectXYZ(converted(256, 256, 256), 16, 16, 16);
}

TEST(XYZReferenceColours, Red)
{
    expectXYZ(converted(3760, 256, 256), 2900, 2170, 16);
}

TEST(XYZReferenceColours, CodesOutsideTheStudioRangeAreClamped)
{
    expectXYZ(converted(4095, 4095, 4000), 3793, 3960, 3889);
    expectXYZ(converted(0, 100, 255), 16, 16, 16);
    expectXYZ(converted(4095, 0, 0), 2900, 2170, 16);
}

TEST(XYZReferenceColours, WordThreeOfTheInputIsIgnored)
{
    Sample in(3760, 256, 256, 1234);
    Sample out;
    XYZColourSpaceConvert(&in, &out, 1, true);
    expectXYZ(out, 2900, 2170, 16);
}

// ---------------------------------------------------------------- steps

TEST(XYZSteps, NormaliseMapsStudioRangeToUnit)
{
    EXPECT_EQ(Normalise(256), 0.0f);
    EXPECT_EQ(Normalise(3760), 1.0f);
    EXPECT_EQ(Normalise(0), 0.0f);
    EXPECT_EQ(Normalise(65535), 1.0f);
    EXPECT_EQ(Normalise(2008), 1752.0f / 3504.0f);
}

TEST(XYZSteps, GammaToLinearHasALinearToe)
{
    EXPECT_EQ(GammaToLinear(0.0f), 0.0f);
    EXPECT_EQ(GammaToLinear(0.08f), 0.08f / 4.5f);
    EXPECT_EQ(GammaToLinear(1.0f), 1.0f);
    // At the knee the power law takes over.
    EXPECT_EQ(GammaToLinear(0.081f), powf((0.081f + 0.099f) / 1.099f, 2.2222223f));
}

TEST(XYZSteps, NegativeMatrixResultsBecomeZero)
{
    float x = -1, y = -1, z = -1;
    LinearRGBtoXYZLinearConversion(-1.0f, 0.0f, 0.0f, x, y, z);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    EXPECT_EQ(z, 0.0f);
}

TEST(XYZSteps, MatrixOfWhiteSumsEachRow)
{
    float x, y, z;
    LinearRGBtoXYZLinearConversion(1.0f, 1.0f, 1.0f, x, y, z);
    EXPECT_EQ(x, static_cast<float>(0.4451698156 + 0.2771344092 + 0.1722826698));
    EXPECT_EQ(y, static_cast<float>(0.2094916779 + 0.7215952542 + 0.0689130679));
    EXPECT_EQ(z, static_cast<float>(0.0 + 0.0470605601 + 0.9073553944));
}

TEST(XYZSteps, EncodingClampsToLegalCodes)
{
    unsigned short x, y, z;
    XYZLinearToXYZLog(-0.5f, 0.0f, 2.0f, x, y, z);
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 16);
    EXPECT_EQ(z, 4079);
    XYZLinearToXYZLog(1.0f, 0.5f, 0.001f, x, y, z);
    EXPECT_EQ(x, 3960);  // linear 1.0, the luminance of white
    EXPECT_LT(y, x);
    EXPECT_GT(z, 16);
}

// ---------------------------------------------------------------- sections and files

TEST(XYZSections, RunStaysARunWithOneConvertedSample)
{
    Section run;
    run.AddRepeatedSamplePair(500, Sample(3760, 3760, 3760, 0));
    run.ConvertToXYZ(false);
    EXPECT_EQ(run.repeatCount, 500u);
    ASSERT_EQ(run.samplePairs.size(), 1u);
    expectXYZ(run.samplePairs[0], 3793, 3960, 3889);
}

TEST(XYZSections, LiteralConvertsEverySampleInOrder)
{
    Section literal;
    literal.AddSamplePair(Sample(256, 256, 256, 0));
    literal.AddSamplePair(Sample(3760, 256, 256, 0));
    literal.AddSamplePair(Sample(3760, 3760, 3760, 0));
    literal.ConvertToXYZ(false);
    EXPECT_EQ(literal.repeatCount, 0u);
    ASSERT_EQ(literal.samplePairs.size(), 3u);
    expectXYZ(literal.samplePairs[0], 16, 16, 16);
    expectXYZ(literal.samplePairs[1], 2900, 2170, 16);
    expectXYZ(literal.samplePairs[2], 3793, 3960, 3889);
}

TEST(XYZFile, SavesThreeWordsInFormatThreeEvenFromFourTwoTwo)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.width = 1920;
    file.singleBlock = false;
    file.sampleFormat = PatternFileFormat::YCbCr422;
    Sample::b3Words = false;
    auto* line = new CompressedLine;
    Sample red(3760, 256, 256, 3000);
    line->AddArray(1, &red);
    line->AddRun(959, red);
    line->SetPercentage(1080);
    file.AddBlock(line);

    file.ConvertToXYZ();
    EXPECT_EQ(file.sampleFormat, 3);
    EXPECT_TRUE(Sample::b3Words);

    const std::string path = testTempDir() + "/out.xyz";
    ASSERT_TRUE(file.Save(path));
    DecodedPatternFile decoded;
    std::string error;
    ASSERT_TRUE(readPatternFile(path, decoded, error)) << error;
    EXPECT_EQ(decoded.sampleFormat, 3);
    const auto lines = decoded.lines();
    ASSERT_EQ(lines.size(), 1080u);
    ASSERT_EQ(lines[0].size(), 960u);
    const DecodedSample xyzRed{2900, 2170, 16, 0};
    EXPECT_EQ(lines[0][0], xyzRed);
    EXPECT_EQ(lines[1079][959], xyzRed);
}

TEST(XYZFile, SingleBlockModeConvertsOnlyTheFirstBlock)
{
    VantoKeploPatternFile file;
    for (int i = 0; i < 2; ++i) {
        auto* line = new CompressedLine;
        line->AddRun(4, Sample(3760, 3760, 3760, 0));
        file.AddBlock(line);
    }
    file.ConvertToXYZ();
    expectXYZ(file.line_blocks[0]->sections[0]->samplePairs[0], 3793, 3960, 3889);
    expectXYZ(file.line_blocks[1]->sections[0]->samplePairs[0], 3760, 3760, 3760);
}

TEST(XYZFile, SingleBlockModeWithoutBlocksOnlyChangesTheFormat)
{
    VantoKeploPatternFile file;
    file.ConvertToXYZ();
    EXPECT_EQ(file.sampleFormat, 3);
    EXPECT_TRUE(Sample::b3Words);
    EXPECT_TRUE(file.line_blocks.empty());
}

}  // namespace
