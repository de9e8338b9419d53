#include "writers/writeVantoKeplo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

const Sample kGrey(0x0123, 0x0456, 0x0789, 0);
const std::string kGreyBytes("\x01\x23\x04\x56\x07\x89", 6);

std::string header(char blockMode, int width, char lineCountFlag, char format)
{
    return std::string("PATTERN\0", 8) + blockMode + char(width >> 8) + char(width & 0xFF) + lineCountFlag + '\x0C' +
           format + std::string(2, '\0');
}

std::string saved(VantoKeploPatternFile& file)
{
    const std::string path = testTempDir() + "/out.pat";
    EXPECT_TRUE(file.Save(path));
    return readFile(path);
}

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "<none>";
}

CompressedLine* runLine(unsigned short count, Sample s, unsigned short percentage = 0)
{
    auto* line = new CompressedLine;
    line->AddRun(count, s);
    line->SetPercentage(percentage);
    return line;
}

}  // namespace

TEST(PatternFile, FrameOfOneColourIsOneBlockOfALiteralAndARunThenClear)
{
    Sample::b3Words = true;
    VantoKeploPatternFile file;
    EXPECT_FALSE(Sample::b3Words);
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
    EXPECT_EQ(header(1, 1920, 1, 1) + std::string("\0\x01\x04\x38\0\x02\0\0\0\x02", 10) + kGreyBytes + "\x0E\xFE" +
                  kGreyBytes,
              saved(file));
    EXPECT_EQ(12, file.bitsPerSample);
    file.Clear();
    EXPECT_EQ(std::make_tuple(1, 1920, 0, 10, true, true, false),
              std::make_tuple(file.blockMode, int{file.width}, file.sampleFormat, file.bitsPerSample, file.singleBlock,
                              file.line_blocks.empty(), Sample::b3Words));
}

TEST(PatternFile, FourWordSamplesReadCbYCrYInSingleBlockMode)
{
    VantoKeploPatternFile file;
    file.width = 1920;
    Sample::b3Words = false;
    file.AddBlock(runLine(960, Sample(0x0A01, 0x0B02, 0x0C03, 0x0D04), 100));
    file.AddBlock(runLine(5, kGrey));  // only the first block is written
    EXPECT_EQ(header(0, 1920, 0, 0) + std::string("\0\x64\0\x01\x07\x80\x0C\x03\x0B\x02\x0A\x01\x0D\x04", 14),
              saved(file));
}

TEST(PatternFile, WhatFollowsTheHeaderDependsOnTheBlockMode)
{
    const struct { int blockMode; bool withBlock; std::string after; } cases[] = {
        {1, false, std::string(2, '\0')}, {0, false, ""}, {2, true, ""}, {1, true, std::string("\0\x01\0\0\0\x01\0\0\0\0", 10)}};
    for (const auto& c : cases) {
        VantoKeploPatternFile file;
        file.blockMode = c.blockMode;
        file.width = 1280;
        if (c.withBlock) {
            auto* line = new CompressedLine;
            line->AddArray(0, nullptr);  // an empty literal section
            file.AddBlock(line);
        }
        EXPECT_EQ(header(static_cast<char>(c.blockMode), 1280, 0, 0) + c.after, saved(file)) << c.blockMode;
    }
}

TEST(PatternFile, ErrorMessages)
{
    const std::string dir = testTempDir();
    const std::string missing = dir + "/no/such/dir/out.pat";
    VantoKeploPatternFile file;
    EXPECT_EQ("Can't save file: " + missing, errorOf([&] { file.Save(missing); }));
    file.AddBlock(new CompressedLine);
    EXPECT_EQ("Zero length section is invalid!", errorOf([&] { file.Save(dir + "/out.pat"); }));
    file.Clear();
    file.AddBlock(runLine(4, kGrey));
    file.line_blocks[0]->sections[0]->AddSamplePair(kGrey);
    EXPECT_EQ("Repeated TPSection block must have exactly 1 sample pair.", errorOf([&] { file.Save(dir + "/out.pat"); }));
    file.line_blocks[0]->sections[0]->samplePairs.resize(1);
    EXPECT_EQ("Cannot add repeated samples - samplePairs not empty!",
              errorOf([&] { file.line_blocks[0]->sections[0]->AddRepeatedSamplePair(3, kGrey); }));
    EXPECT_EQ(4u, file.line_blocks[0]->sections[0]->repeatCount);
    // Counts beyond 16 bits are refused rather than written truncated.
    file.line_blocks[0]->sections[0]->repeatCount = kMaxSectionSamples + 1;
    EXPECT_NE(std::string::npos, errorOf([&] { file.Save(dir + "/out.pat"); }).find("too long"));

    // Write failures, on a stream that cannot be written.
    const std::string readOnly = dir + "/read-only";
    std::fclose(std::fopen(readOnly.c_str(), "wb"));
    FILE* in = std::fopen(readOnly.c_str(), "rb");
    ASSERT_NE(nullptr, in);
    Section literal;
    literal.AddSamplePair(kGrey);
    CompressedLine* run = runLine(2, kGrey);
    EXPECT_EQ("Problem writing Sample.\n", errorOf([&] { kGrey.Save(in); }));
    EXPECT_EQ("Problem saving Section SamplePairs.\n", errorOf([&] { literal.Save(in); }));
    EXPECT_EQ("Problem saving Section SamplePair count.\n", errorOf([&] { run->sections[0]->Save(in); }));
    EXPECT_EQ("Problem writing Percentage.", errorOf([&] { run->Save(in); }));
    delete run;
    std::fclose(in);
}

TEST(PatternFile, SectionsAndLinesCompareByContentButLinesDifferByIdentity)
{
    Section run, other;
    run.AddRepeatedSamplePair(4, kGrey);
    other.AddRepeatedSamplePair(4, Sample(kGrey.word0, kGrey.word1, kGrey.word2, 1));
    EXPECT_TRUE(run != other);  // word3 counts
    other.samplePairs[0].word3 = 0;
    EXPECT_TRUE(run == other);
    CompressedLine a, b, sharing;
    a.AddRun(9, kGrey);
    b.AddRun(9, kGrey);
    b.SetPercentage(40);
    EXPECT_TRUE(a == b);  // the percentage is not compared
    EXPECT_TRUE(a != b);  // equal content, different section objects
    sharing.sections = a.sections;
    EXPECT_FALSE(a != sharing);
    sharing.sections.clear();  // a owns them
    b.AddRun(1, kGrey);
    EXPECT_FALSE(a == b);
}
