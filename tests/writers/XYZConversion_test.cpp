#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "writers/writeVantoKeplo.h"

namespace {

const Sample kXYZWhite(3793, 3960, 3889, 0);
const Sample kXYZRed(2900, 2170, 16, 0);
const Sample kXYZBlack(16, 16, 16, 0);

}  // namespace

TEST(XYZConversion, ReferenceColoursAndClamping)
{
    const std::pair<Sample, Sample> cases[] = {
        {{3760, 3760, 3760, 0}, kXYZWhite}, {{4095, 4095, 4000, 0}, kXYZWhite}, {{256, 256, 256, 0}, kXYZBlack},
        {{0, 100, 255, 0}, kXYZBlack},      {{3760, 256, 256, 1234}, kXYZRed},  {{4095, 0, 0, 0}, kXYZRed}};
    for (const auto& c : cases) {
        Sample in = c.first, out;
        XYZColourSpaceConvert(&in, &out, 1, false);
        EXPECT_EQ(c.second, out) << in.word0 << "," << in.word1 << "," << in.word2;
    }
    EXPECT_EQ(1752.0f / 3504.0f, Normalise(2008));
    EXPECT_EQ(0.08f / 4.5f, GammaToLinear(0.08f));
    EXPECT_EQ(powf((0.081f + 0.099f) / 1.099f, 2.2222223f), GammaToLinear(0.081f));  // the knee takes the power law
    float x, y, z;
    LinearRGBtoXYZLinearConversion(-1.0f, 0.0f, 0.0f, x, y, z);
    EXPECT_EQ(0.0f, x + y + z);
    unsigned short xCode, yCode, zCode;
    XYZLinearToXYZLog(-0.5f, 1.0f, 2.0f, xCode, yCode, zCode);
    EXPECT_EQ(Sample(16, 3960, 4079, 0), Sample(xCode, yCode, zCode, 0));
}

TEST(XYZConversion, SectionsKeepTheirShape)
{
    Section run, literal;
    run.AddRepeatedSamplePair(500, Sample(3760, 3760, 3760, 0));
    literal.AddSamplePair(Sample(256, 256, 256, 0));
    literal.AddSamplePair(Sample(3760, 256, 256, 0));
    run.ConvertToXYZ(false);
    literal.ConvertToXYZ(false);
    EXPECT_EQ(500u, run.repeatCount);
    EXPECT_EQ(std::vector<Sample>{kXYZWhite}, run.samplePairs);
    EXPECT_EQ(0u, literal.repeatCount);
    EXPECT_EQ((std::vector<Sample>{kXYZBlack, kXYZRed}), literal.samplePairs);
}

TEST(XYZConversion, OnlySavedBlocksAreConvertedAndSavedInThreeWords)
{
    for (int blockMode : {0, 1, 2}) {
        VantoKeploPatternFile file;
        file.blockMode = blockMode;
        file.width = 1920;
        Sample::b3Words = false;  // as a 4:2:2 file
        for (int i = 0; i < 2; ++i) {
            auto* line = new CompressedLine;
            line->AddRun(960, Sample(3760, 256, 256, 3000));
            line->SetPercentage(100);
            file.AddBlock(line);
        }
        file.ConvertToXYZ();
        EXPECT_EQ(blockMode != 2, file.line_blocks[0]->sections[0]->samplePairs[0] == kXYZRed) << blockMode;
        EXPECT_EQ(blockMode == 1, file.line_blocks[1]->sections[0]->samplePairs[0] == kXYZRed) << blockMode;
        if (blockMode != 1) continue;
        ASSERT_TRUE(file.Save(testTempDir() + "/out.xyz"));
        const std::string block("\0\x64\0\x01\x07\x80\x0B\x54\x08\x7A\0\x10", 12);
        EXPECT_EQ(std::string("PATTERN\0\x01\x07\x80\0\x0C\x03\0\0\0\x02", 18) + block + block,
                  readFile(testTempDir() + "/out.xyz"));
    }
    VantoKeploPatternFile empty;
    empty.ConvertToXYZ();
    EXPECT_EQ(3, empty.sampleFormat);
    EXPECT_TRUE(Sample::b3Words);
}
