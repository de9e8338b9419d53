#include "writers/writeVantoKeplo.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

const Sample kGrey(0x0123, 0x0456, 0x0789, 0);

// The 16-byte header of a 1920-wide file of 12-bit samples.
std::string header(int blockMode, char lineCountFlag, char format)
{
    return std::string("PATTERN\0", 8) + char(blockMode) + "\x07\x80" + lineCountFlag + '\x0C' + format + '\0' + '\0';
}

// The bytes saved, or the message of the error raised.
std::string saved(VantoKeploPatternFile& file, const std::string& path = testTempDir() + "/out.pat")
{
    try {
        file.Save(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return readFile(path);
}

}  // namespace

TEST(PatternFile, FrameOfOneColourThenClearAndFourWordSamples)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.width = 1920;
    file.singleBlock = false;
    file.sampleFormat = PatternFileFormat::RGB;
    Sample::b3Words = true;
    auto* line = new CompressedLine;
    Sample first = kGrey;
    line->AddArray(1, &first);
    line->AddRun(1919, kGrey);
    line->SetPercentage(1080);
    file.AddBlock(new CompressedLine);  // without sections: skipped and not counted
    file.AddBlock(line);
    // Block count 1; 1080 lines in two sections: a literal of one sample, then a run of 1919.
    EXPECT_EQ(header(1, 1, 1) + std::string("\0\x01\x04\x38\0\x02\0\0\0\x02\x01\x23\x04\x56\x07\x89\x0E\xFE"
                                            "\x01\x23\x04\x56\x07\x89",
                                            24),
              saved(file));
    EXPECT_EQ(12, file.bitsPerSample);
    file.Clear();
    EXPECT_EQ(std::make_tuple(1, 1920, 0, 10, true, true, false),
              std::make_tuple(file.blockMode, int{file.width}, file.sampleFormat, file.bitsPerSample, file.singleBlock,
                              file.line_blocks.empty(), Sample::b3Words));
    // Cleared to 4:2:2: four-word samples, read Cb, Y, Cr, Y; block mode 0 writes one block without a count.
    file.blockMode = 0;
    for (auto* line : {new CompressedLine, new CompressedLine}) {
        line->AddRun(960, Sample(0x0A01, 0x0B02, 0x0C03, 0x0D04));
        line->SetPercentage(100);
        file.AddBlock(line);  // only the first block is written
    }
    EXPECT_EQ(header(0, 0, 0) + std::string("\0\x64\0\x01\x07\x80\x0C\x03\x0B\x02\x0A\x01\x0D\x04", 14), saved(file));
}

TEST(PatternFile, EmptyFilesBlocksWithoutSectionsAndErrors)
{
    // block mode, with a block without sections, what follows the header
    const struct {
        int blockMode;
        bool withBlock;
        std::string after;
    } cases[] = {{1, false, std::string(2, '\0')}, {0, false, ""}, {1, true, std::string(2, '\0')}, {2, true, ""}};
    for (const auto& c : cases) {
        VantoKeploPatternFile file;
        file.blockMode = c.blockMode;
        file.width = 1920;
        if (c.withBlock) file.AddBlock(new CompressedLine);
        EXPECT_EQ(header(c.blockMode, 0, 0) + c.after, saved(file)) << c.blockMode;
    }
    VantoKeploPatternFile file;
    const std::string missing = testTempDir() + "/no/such/dir/out.pat";
    EXPECT_EQ("Can't save file: " + missing, saved(file, missing));
    file.AddBlock(new CompressedLine);
    EXPECT_EQ("Zero length section is invalid!", saved(file));
}

TEST(PatternFile, SectionRulesAndWriteFailuresRaiseTheirMessages)
{
    auto errorOf = [](auto action) -> std::string {
        try {
            action();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    };
    Section literal;
    literal.AddSamplePair(kGrey);
    EXPECT_EQ("Cannot add repeated samples - samplePairs not empty!",
              errorOf([&] { literal.AddRepeatedSamplePair(2, kGrey); }));
    Section run;
    run.AddRepeatedSamplePair(2, kGrey);
    run.AddSamplePair(kGrey);
    FILE* readOnly = std::fopen("/dev/null", "r");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ("Repeated TPSection block must have exactly 1 sample pair.", errorOf([&] { run.Save(readOnly); }));
    Section goodRun;
    goodRun.AddRepeatedSamplePair(2, kGrey);
    EXPECT_EQ("Problem saving Section SamplePair count.\n", errorOf([&] { goodRun.Save(readOnly); }));
    EXPECT_EQ("Problem saving Section SamplePairs.\n", errorOf([&] { literal.Save(readOnly); }));
    EXPECT_EQ("Problem writing Sample.\n", errorOf([&] { kGrey.Save(readOnly); }));
    CompressedLine line;
    line.AddRun(2, kGrey);
    EXPECT_EQ("Problem writing Percentage.", errorOf([&] { line.Save(readOnly); }));
    std::fclose(readOnly);
}
