#include <gtest/gtest.h>

#include <string>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "writers/writeVantoKeplo.h"

TEST(XYZConversion, ReferenceColoursAndClamping)
{
    const Sample white(3793, 3960, 3889, 0), red(2900, 2170, 16, 0), black(16, 16, 16, 0);
    // Codes are clamped to 256..3760; word3 becomes 0.
    const std::pair<Sample, Sample> cases[] = {{{3760, 3760, 3760, 0}, white}, {{4095, 4095, 4000, 0}, white},
                                               {{256, 256, 256, 0}, black},    {{0, 100, 255, 0}, black},
                                               {{3760, 256, 256, 1234}, red},  {{4095, 0, 0, 0}, red}};
    for (const auto& c : cases) {
        Sample in = c.first, out;
        XYZColourSpaceConvert(&in, &out, 1, false);
        EXPECT_EQ(c.second, out) << in.word0 << "," << in.word1 << "," << in.word2;
    }
    unsigned short xCode, yCode, zCode;  // out-of-range linear values are held at 16 and 4079
    XYZLinearToXYZLog(-0.5f, 1.0f, 2.0f, xCode, yCode, zCode);
    EXPECT_EQ(Sample(16, 3960, 4079, 0), Sample(xCode, yCode, zCode, 0));
}

TEST(XYZConversion, SectionsKeepTheirShapeAndSaveInThreeWords)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.width = 1920;
    Sample::b3Words = false;  // as a 4:2:2 file
    auto* line = new CompressedLine;
    line->AddRun(500, Sample(3760, 256, 256, 3000));
    Sample literal[] = {Sample(256, 256, 256, 0), Sample(3760, 3760, 3760, 0)};
    line->AddArray(2, literal);
    file.AddBlock(line);
    file.ConvertToXYZ();
    ASSERT_TRUE(file.Save(testTempDir() + "/out.xyz"));
    // Format 3; a run of 500 red, then black and white.
    EXPECT_EQ(std::string("PATTERN\0\x01\x07\x80\0\x0C\x03\0\0\0\x01\0\0\0\x02\x03\xE8\x0B\x54\x08\x7A\0\x10\0\0\0\x04"
                          "\0\x10\0\x10\0\x10\x0E\xD1\x0F\x78\x0F\x31",
                          46),
              readFile(testTempDir() + "/out.xyz"));
}
