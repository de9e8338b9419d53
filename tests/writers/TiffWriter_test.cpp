#include "writers/writeTiff.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using Repeats = std::vector<std::pair<int, int>>;

// An extender installed before the writer's first file, so that the writer's
// extender must chain to it.
int earlierExtenderCalls = 0;
TIFFExtendProc extenderBeforeOurs = nullptr;

void earlierExtender(TIFF* tif)
{
    ++earlierExtenderCalls;
    if (extenderBeforeOurs != nullptr) {
        extenderBeforeOurs(tif);
    }
}

const bool earlierExtenderInstalled = [] {
    extenderBeforeOurs = TIFFSetTagExtender(earlierExtender);
    return true;
}();

// Three samples per pixel, every one distinct.
std::vector<uint16_t> testImage(int width, int height)
{
    std::vector<uint16_t> samples(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<uint16_t>((i * 0x1111 + 0x0123) << 4);
    }
    return samples;
}

int write(const std::string& path, bool isYCbCr, const Repeats& repeats, int width = 4, int height = 3)
{
    std::vector<uint16_t> samples = testImage(width, height);
    return TiffWriter::writeTiff(reinterpret_cast<unsigned char*>(samples.data()), isYCbCr, width,
                                 height, 12, repeats, path.c_str());
}

// The text of tag 65456, or "<absent>".
std::string lineRepeatText(const std::string& path)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) {
        return "<unreadable>";
    }
    const char* text = nullptr;
    std::string result = TIFFGetField(tif, TiffWriter::kLineRepeatTag, &text) == 1 && text != nullptr
                             ? std::string(text)
                             : "<absent>";
    TIFFClose(tif);
    return result;
}

uint16_t shortTag(TIFF* tif, ttag_t tag)
{
    uint16_t value = 0xDEAD;
    EXPECT_EQ(1, TIFFGetField(tif, tag, &value)) << "tag " << tag;
    return value;
}

uint32_t longTag(TIFF* tif, ttag_t tag)
{
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(1, TIFFGetField(tif, tag, &value)) << "tag " << tag;
    return value;
}

}  // namespace

// --- Tags -------------------------------------------------------------------

TEST(TiffWriterTags, RgbImageTags)
{
    const std::string path = testTempDir() + "/rgb.tif";
    ASSERT_EQ(0, write(path, false, {}, 5, 2));
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(nullptr, tif);
    EXPECT_EQ(5u, longTag(tif, TIFFTAG_IMAGEWIDTH));
    EXPECT_EQ(2u, longTag(tif, TIFFTAG_IMAGELENGTH));
    EXPECT_EQ(COMPRESSION_LZW, shortTag(tif, TIFFTAG_COMPRESSION));
    EXPECT_EQ(PLANARCONFIG_CONTIG, shortTag(tif, TIFFTAG_PLANARCONFIG));
    EXPECT_EQ(PHOTOMETRIC_RGB, shortTag(tif, TIFFTAG_PHOTOMETRIC));
    EXPECT_EQ(16, shortTag(tif, TIFFTAG_BITSPERSAMPLE));
    EXPECT_EQ(3, shortTag(tif, TIFFTAG_SAMPLESPERPIXEL));
    EXPECT_EQ(1u, TIFFNumberOfStrips(tif));
    TIFFClose(tif);
}

TEST(TiffWriterTags, YCbCrImageIsPhotometricSixWithoutSubsampling)
{
    const std::string path = testTempDir() + "/ycc.tif";
    ASSERT_EQ(0, write(path, true, {}));
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(nullptr, tif);
    EXPECT_EQ(PHOTOMETRIC_YCBCR, shortTag(tif, TIFFTAG_PHOTOMETRIC));
    uint16_t horizontal = 0;
    uint16_t vertical = 0;
    EXPECT_EQ(1, TIFFGetField(tif, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical));
    EXPECT_EQ(1, horizontal);
    EXPECT_EQ(1, vertical);
    EXPECT_EQ(PLANARCONFIG_CONTIG, shortTag(tif, TIFFTAG_PLANARCONFIG));
    TIFFClose(tif);
}

// --- The line-repeat tag ----------------------------------------------------

TEST(TiffWriterLineRepeat, EmptyListWritesNoTag)
{
    const std::string path = testTempDir() + "/empty.tif";
    ASSERT_EQ(0, write(path, false, {}));
    EXPECT_EQ("<absent>", lineRepeatText(path));
}

TEST(TiffWriterLineRepeat, OnePairIsCompactJson)
{
    const std::string path = testTempDir() + "/one.tif";
    ASSERT_EQ(0, write(path, false, {{3, 7}}));
    EXPECT_EQ("[[3,7]]", lineRepeatText(path));
}

TEST(TiffWriterLineRepeat, PairsKeepListOrder)
{
    const std::string path = testTempDir() + "/two.tif";
    ASSERT_EQ(0, write(path, true, {{0, 0}, {1, 540}}));
    EXPECT_EQ("[[0,0],[1,540]]", lineRepeatText(path));
}

TEST(TiffWriterLineRepeat, ExtenderIsInstalledOnceAndChainsToTheEarlierOne)
{
    ASSERT_TRUE(earlierExtenderInstalled);
    const std::string dir = testTempDir();
    const int before = earlierExtenderCalls;
    ASSERT_EQ(0, write(dir + "/first.tif", false, {{0, 1}}));
    const int afterFirst = earlierExtenderCalls;
    // Installed twice, the extender would be its own parent and never return.
    ASSERT_EQ(0, write(dir + "/second.tif", false, {{0, 2}}));
    const int afterSecond = earlierExtenderCalls;

    EXPECT_GT(afterFirst, before);
    EXPECT_EQ(afterFirst - before, afterSecond - afterFirst);
    EXPECT_EQ("[[0,1]]", lineRepeatText(dir + "/first.tif"));
    EXPECT_EQ("[[0,2]]", lineRepeatText(dir + "/second.tif"));
}

TEST(TiffWriterLineRepeat, TagIsKnownByNameToLaterReaders)
{
    const std::string path = testTempDir() + "/named.tif";
    ASSERT_EQ(0, write(path, false, {{0, 0}}));
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(nullptr, tif);
    const TIFFField* field = TIFFFieldWithTag(tif, TiffWriter::kLineRepeatTag);
    ASSERT_NE(nullptr, field);
    EXPECT_STREQ("LineRepeat", TIFFFieldName(field));
    EXPECT_EQ(TIFF_ASCII, TIFFFieldDataType(field));
    TIFFClose(tif);
}

// --- Pixel data -------------------------------------------------------------

TEST(TiffWriterPixels, StripRoundTripsExactly)
{
    const int width = 7;
    const int height = 5;
    for (bool isYCbCr : {false, true}) {
        const std::string path = testTempDir() + (isYCbCr ? "/ycc.tif" : "/rgb.tif");
        ASSERT_EQ(0, write(path, isYCbCr, {}, width, height));
        const std::vector<uint16_t> expected = testImage(width, height);

        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(nullptr, tif);
        std::vector<uint16_t> read(expected.size() + 8, 0);
        const tmsize_t bytes = TIFFReadEncodedStrip(tif, 0, read.data(),
                                                    static_cast<tmsize_t>(read.size() * 2));
        TIFFClose(tif);
        ASSERT_EQ(static_cast<tmsize_t>(expected.size() * 2), bytes);
        read.resize(expected.size());
        EXPECT_EQ(expected, read) << (isYCbCr ? "YCbCr" : "RGB");
    }
}

// --- Failures ---------------------------------------------------------------

TEST(TiffWriterFailure, FileThatCannotBeCreated)
{
    const std::string path = testTempDir() + "/no-such-dir/out.tif";
    testing::internal::CaptureStderr();
    const int result = write(path, false, {});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(-1, result);
    const std::string message = "Could not create tiff file\n";
    ASSERT_GE(err.size(), message.size());
    EXPECT_EQ(message, err.substr(err.size() - message.size()));  // after libtiff's own report
}

TEST(TiffWriterFailure, ImageThatCannotBeWritten)
{
    const std::string path = testTempDir() + "/zero-width.tif";
    testing::internal::CaptureStderr();
    const int result = write(path, false, {}, 0, 3);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(-1, result);
    EXPECT_NE(std::string::npos, err.find("Could not write image\n"));
    EXPECT_EQ(std::string::npos, err.find("Could not create tiff file"));
}
