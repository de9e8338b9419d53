#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/PatternFileReader.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "writers/writeVantoKeplo.h"

namespace {

using Bytes = std::vector<unsigned>;

Bytes bytesOf(const std::string& s)
{
    Bytes out;
    for (char c : s) out.push_back(static_cast<unsigned char>(c));
    return out;
}

Bytes header(unsigned blockMode, unsigned width, unsigned lineCountFlag, unsigned format)
{
    return {'P', 'A', 'T', 'T', 'E', 'R', 'N', 0, blockMode, width >> 8, width & 0xFF, lineCountFlag, 12, format, 0, 0};
}

void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

Bytes saved(VantoKeploPatternFile& file)
{
    const std::string path = testTempDir() + "/out.pat";
    EXPECT_TRUE(file.Save(path));
    return bytesOf(readFile(path));
}

std::string errorOf(VantoKeploPatternFile& file, const std::string& path)
{
    try {
        file.Save(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

const Sample kGrey(0x0123, 0x0456, 0x0789, 0);

// ---------------------------------------------------------------- byte layout

TEST(PatternFileLayout, WholeFrameOfOneColourIsOneBlockOfLiteralAndRun)
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
    file.AddBlock(line);

    Bytes expected = header(1, 1920, 1, 1);
    append(expected, {0x00, 0x01});                           // one block
    append(expected, {0x04, 0x38, 0x00, 0x02});               // 1080 lines, two sections
    append(expected, {0x00, 0x00, 0x00, 0x02});               // literal of one sample
    append(expected, {0x01, 0x23, 0x04, 0x56, 0x07, 0x89});   // R, G, B
    append(expected, {0x0E, 0xFE});                           // run of 1919, doubled
    append(expected, {0x01, 0x23, 0x04, 0x56, 0x07, 0x89});
    EXPECT_EQ(saved(file), expected);
    EXPECT_EQ(file.bitsPerSample, 12);
}

TEST(PatternFileLayout, FourWordSamplesReadCbYCrY)
{
    VantoKeploPatternFile file;
    file.blockMode = 0;
    file.width = 1920;
    Sample::b3Words = false;
    auto* line = new CompressedLine;
    line->AddRun(960, Sample(0x0A01, 0x0B02, 0x0C03, 0x0D04));  // Cr, Y, Cb, Y
    line->SetPercentage(100);
    file.AddBlock(line);

    Bytes expected = header(0, 1920, 0, 0);
    append(expected, {0x00, 0x64, 0x00, 0x01, 0x07, 0x80});
    append(expected, {0x0C, 0x03, 0x0B, 0x02, 0x0A, 0x01, 0x0D, 0x04});
    EXPECT_EQ(saved(file), expected);
}

TEST(PatternFileLayout, EmptyFileInCountedModeHasZeroCount)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.width = 1280;
    Bytes expected = header(1, 1280, 0, 0);
    append(expected, {0x00, 0x00});
    EXPECT_EQ(saved(file), expected);
}

TEST(PatternFileLayout, EmptyFileInSingleBlockModeIsHeaderOnly)
{
    VantoKeploPatternFile file;
    file.width = 2048;
    EXPECT_EQ(saved(file), header(0, 2048, 0, 0));
}

TEST(PatternFileLayout, SingleBlockModeWritesOnlyTheFirstBlock)
{
    VantoKeploPatternFile file;
    Sample::b3Words = true;
    for (int i = 0; i < 2; ++i) {
        auto* line = new CompressedLine;
        line->AddRun(5, Sample(static_cast<uint16_t>(i), 0, 0, 0));
        file.AddBlock(line);
    }
    Bytes expected = header(0, 0, 0, 0);
    append(expected, {0, 0, 0, 1, 0, 10, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(saved(file), expected);
}

TEST(PatternFileLayout, UnknownBlockModeIsHeaderOnly)
{
    VantoKeploPatternFile file;
    file.blockMode = 2;
    auto* line = new CompressedLine;
    line->AddRun(5, kGrey);
    file.AddBlock(line);
    EXPECT_EQ(saved(file), header(2, 0, 0, 0));
}

TEST(PatternFileLayout, EmptyLiteralSectionIsWrittenAsTwoZeroCounts)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    auto* line = new CompressedLine;
    line->AddArray(0, nullptr);
    file.AddBlock(line);
    Bytes expected = header(1, 0, 0, 0);
    append(expected, {0, 1, 0, 0, 0, 1, 0, 0, 0, 0});
    EXPECT_EQ(saved(file), expected);
}

TEST(PatternFileLayout, LongestSectionsUseTheWholeCount)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    Sample::b3Words = true;
    auto* line = new CompressedLine;
    line->AddRun(static_cast<unsigned short>(kMaxSectionSamples), kGrey);
    std::vector<Sample> literal(kMaxSectionSamples, kGrey);
    line->AddArray(static_cast<unsigned short>(literal.size()), literal.data());
    file.AddBlock(line);
    const Bytes bytes = saved(file);
    ASSERT_GT(bytes.size(), 34u);
    EXPECT_EQ(bytes[22], 0xFFu);  // run count 2 * 32767
    EXPECT_EQ(bytes[23], 0xFEu);
    EXPECT_EQ(bytes[32], 0xFFu);  // literal count 2 * 32767
    EXPECT_EQ(bytes[33], 0xFEu);
    EXPECT_EQ(bytes.size(), 34u + kMaxSectionSamples * 6);
}

// ---------------------------------------------------------------- blocks without sections

TEST(PatternFileEmptyBlocks, AreSkippedAndNotCountedInCountedMode)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.singleBlock = false;
    Sample::b3Words = true;
    file.AddBlock(new CompressedLine);
    auto* line = new CompressedLine;
    line->AddRun(3, kGrey);
    line->SetPercentage(7);
    file.AddBlock(line);
    file.AddBlock(new CompressedLine);

    Bytes expected = header(1, 0, 1, 0);
    append(expected, {0, 1, 0, 7, 0, 1, 0, 6, 0x01, 0x23, 0x04, 0x56, 0x07, 0x89});
    EXPECT_EQ(saved(file), expected);
}

TEST(PatternFileEmptyBlocks, RaiseInSingleBlockMode)
{
    VantoKeploPatternFile file;
    file.AddBlock(new CompressedLine);
    EXPECT_EQ(errorOf(file, testTempDir() + "/out.pat"), "Zero length section is invalid!");
}

// ---------------------------------------------------------------- errors

TEST(PatternFileErrors, MissingDirectoryNamesThePath)
{
    VantoKeploPatternFile file;
    const std::string path = testTempDir() + "/no/such/dir/out.pat";
    EXPECT_EQ(errorOf(file, path), "Can't save file: " + path);
}

TEST(PatternFileErrors, RunWithMoreThanOneSample)
{
    VantoKeploPatternFile file;
    auto* line = new CompressedLine;
    line->AddRun(4, kGrey);
    line->sections[0]->AddSamplePair(kGrey);
    file.AddBlock(line);
    EXPECT_EQ(errorOf(file, testTempDir() + "/out.pat"), "Repeated TPSection block must have exactly 1 sample pair.");
}

TEST(PatternFileErrors, RunAddedToNonEmptySection)
{
    Section section;
    section.AddSamplePair(kGrey);
    try {
        section.AddRepeatedSamplePair(3, kGrey);
        FAIL() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot add repeated samples - samplePairs not empty!");
    }
    EXPECT_EQ(section.repeatCount, 0u);
    EXPECT_EQ(section.samplePairs.size(), 1u);
}

TEST(PatternFileErrors, RunTooLongForSixteenBitCount)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    auto* line = new CompressedLine;
    line->AddRun(static_cast<unsigned short>(kMaxSectionSamples + 1), kGrey);
    file.AddBlock(line);
    EXPECT_NE(errorOf(file, testTempDir() + "/out.pat").find("too long"), std::string::npos);
}

TEST(PatternFileErrors, LiteralTooLongForSixteenBitCount)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    auto* line = new CompressedLine;
    std::vector<Sample> literal(kMaxSectionSamples + 1, kGrey);
    line->AddArray(static_cast<unsigned short>(literal.size()), literal.data());
    file.AddBlock(line);
    EXPECT_NE(errorOf(file, testTempDir() + "/out.pat").find("too long"), std::string::npos);
}

// ---------------------------------------------------------------- life cycle

TEST(PatternFileLifecycle, StartsCleared)
{
    Sample::b3Words = true;
    VantoKeploPatternFile file;
    EXPECT_EQ(file.blockMode, 0);
    EXPECT_EQ(file.width, 0);
    EXPECT_EQ(file.sampleFormat, 0);
    EXPECT_EQ(file.bitsPerSample, 10);
    EXPECT_TRUE(file.singleBlock);
    EXPECT_TRUE(file.line_blocks.empty());
    EXPECT_FALSE(Sample::b3Words);
}

TEST(PatternFileLifecycle, ClearKeepsWidthAndBlockMode)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.width = 1920;
    file.sampleFormat = PatternFileFormat::YCbCr444;
    file.singleBlock = false;
    Sample::b3Words = true;
    auto* line = new CompressedLine;
    line->AddRun(2, kGrey);
    file.AddBlock(line);
    saved(file);
    ASSERT_EQ(file.bitsPerSample, 12);

    file.Clear();
    EXPECT_EQ(file.blockMode, 1);
    EXPECT_EQ(file.width, 1920);
    EXPECT_EQ(file.sampleFormat, 0);
    EXPECT_EQ(file.bitsPerSample, 10);
    EXPECT_TRUE(file.singleBlock);
    EXPECT_TRUE(file.line_blocks.empty());
    EXPECT_FALSE(Sample::b3Words);
}

// ---------------------------------------------------------------- comparisons

TEST(PatternFileComparison, SectionsCompareKindAndEveryWord)
{
    Section run, sameRun, longerRun, literal;
    run.AddRepeatedSamplePair(4, kGrey);
    sameRun.AddRepeatedSamplePair(4, kGrey);
    longerRun.AddRepeatedSamplePair(5, kGrey);
    literal.AddSamplePair(kGrey);
    EXPECT_TRUE(run == sameRun);
    EXPECT_TRUE(run != longerRun);
    EXPECT_TRUE(run != literal);

    Section other;
    other.AddRepeatedSamplePair(4, Sample(kGrey.word0, kGrey.word1, kGrey.word2, 1));
    EXPECT_TRUE(run != other);  // word3 counts too
}

TEST(PatternFileComparison, LinesEqualByContentIgnoringPercentage)
{
    CompressedLine a, b;
    Sample s = kGrey;
    a.AddArray(1, &s);
    a.AddRun(9, kGrey);
    a.SetPercentage(3);
    b.AddArray(1, &s);
    b.AddRun(9, kGrey);
    b.SetPercentage(40);
    EXPECT_TRUE(a == b);
    b.AddRun(1, kGrey);
    EXPECT_FALSE(a == b);
}

TEST(PatternFileComparison, LinesDifferByIdentity)
{
    CompressedLine a, b;
    a.AddRun(9, kGrey);
    b.AddRun(9, kGrey);
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a != b);  // equal content, different section objects

    CompressedLine sharing;
    sharing.sections = a.sections;
    EXPECT_FALSE(a != sharing);
    sharing.sections.clear();  // a owns them
}

// ---------------------------------------------------------------- decoder

TEST(PatternFileDecoder, ReadsBackRunsAndLineCounts)
{
    VantoKeploPatternFile file;
    file.blockMode = 1;
    file.width = 4;
    file.singleBlock = false;
    file.sampleFormat = PatternFileFormat::YCbCr422;
    Sample::b3Words = false;
    const Sample a(1, 2, 3, 4), b(5, 6, 7, 8);
    auto* line = new CompressedLine;
    Sample literal[] = {a};
    line->AddArray(1, literal);
    line->AddRun(1, a);
    line->SetPercentage(3);
    file.AddBlock(line);
    line = new CompressedLine;
    Sample pair[] = {b, a};
    line->AddArray(2, pair);
    line->SetPercentage(1);
    file.AddBlock(line);
    const std::string path = testTempDir() + "/out.pat";
    ASSERT_TRUE(file.Save(path));

    DecodedPatternFile decoded;
    std::string error;
    ASSERT_TRUE(readPatternFile(path, decoded, error)) << error;
    const auto lines = decoded.lines();
    ASSERT_EQ(lines.size(), 4u);
    const DecodedSample da{1, 2, 3, 4}, db{5, 6, 7, 8};
    EXPECT_EQ(lines[0], (std::vector<DecodedSample>{da, da}));
    EXPECT_EQ(lines[2], lines[0]);
    EXPECT_EQ(lines[3], (std::vector<DecodedSample>{db, da}));
    const auto pixels = decoded.pixels(lines[3]);
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(pixels[1], (std::array<uint16_t, 3>{5, 8, 7}));
}

TEST(PatternFileDecoder, RefusesTruncatedFiles)
{
    DecodedPatternFile decoded;
    std::string error;
    std::string bytes("PATTERN\0\x01\x07\x80\x01\x0C\x01\x00\x00\x00\x01\x00\x05", 20);
    EXPECT_FALSE(decodePatternFile(bytes, decoded, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
