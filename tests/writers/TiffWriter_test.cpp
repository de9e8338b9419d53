#include "writers/writeTiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

// An extender installed before the writer's first file: the writer's must chain to it.
int earlierExtenderCalls = 0;
TIFFExtendProc extenderBeforeOurs = nullptr;
void earlierExtender(TIFF* tif)
{
    ++earlierExtenderCalls;
    if (extenderBeforeOurs != nullptr) extenderBeforeOurs(tif);
}
const bool earlierExtenderInstalled = (extenderBeforeOurs = TIFFSetTagExtender(earlierExtender), true);

std::vector<uint16_t> testImage(int width, int height)
{
    std::vector<uint16_t> samples(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint16_t>((i * 0x1111 + 0x0123) << 4);
    return samples;
}

int write(const std::string& path, bool isYCbCr, const std::vector<std::pair<int, int>>& repeats, int width = 7)
{
    std::vector<uint16_t> samples = testImage(width, 5);
    return TiffWriter::writeTiff(reinterpret_cast<unsigned char*>(samples.data()), isYCbCr, width, 5, 12, repeats,
                                 path.c_str());
}

}  // namespace

TEST(TiffWriter, TagsAndOneLosslessStrip)
{
    for (bool isYCbCr : {false, true}) {
        const std::string path = testTempDir() + (isYCbCr ? "/ycc.tif" : "/rgb.tif");
        ASSERT_EQ(0, write(path, isYCbCr, {}));
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(nullptr, tif);
        uint32_t width = 0, length = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &length);
        EXPECT_EQ(7u * 5u, width * length);
        const std::pair<ttag_t, uint16_t> tags[] = {{TIFFTAG_COMPRESSION, 5}, {TIFFTAG_PLANARCONFIG, 1},
            {TIFFTAG_PHOTOMETRIC, isYCbCr ? 6 : 2}, {TIFFTAG_BITSPERSAMPLE, 16}, {TIFFTAG_SAMPLESPERPIXEL, 3}};
        for (const auto& tag : tags) {
            uint16_t value = 0;
            TIFFGetField(tif, tag.first, &value);
            EXPECT_EQ(tag.second, value) << "tag " << tag.first;
        }
        uint16_t h = 0, v = 0;
        EXPECT_EQ(isYCbCr ? 1 : 0, TIFFGetField(tif, TIFFTAG_YCBCRSUBSAMPLING, &h, &v));
        EXPECT_EQ(isYCbCr ? 1 : 0, h * v);
        EXPECT_EQ(1u, TIFFNumberOfStrips(tif));
        std::vector<uint16_t> read(7 * 5 * 3);
        EXPECT_EQ(static_cast<tmsize_t>(read.size() * 2), TIFFReadEncodedStrip(tif, 0, read.data(), -1));
        EXPECT_EQ(testImage(7, 5), read);
        TIFFClose(tif);
    }
}

TEST(TiffWriter, LineRepeatTagIsCompactJsonAndTheExtenderChainsOnce)
{
    ASSERT_TRUE(earlierExtenderInstalled);
    const std::pair<std::vector<std::pair<int, int>>, std::string> cases[] = {
        {{}, "<absent>"}, {{{3, 7}}, "[[3,7]]"}, {{{0, 0}, {1, 540}}, "[[0,0],[1,540]]"}};
    int callsPerFile = 0;
    for (const auto& c : cases) {
        const std::string path = testTempDir() + "/out.tif";
        const int before = earlierExtenderCalls;
        ASSERT_EQ(0, write(path, false, c.first));
        // Installed twice, the extender would be its own parent and never return.
        EXPECT_GT(earlierExtenderCalls - before, 0);
        EXPECT_TRUE(callsPerFile == 0 || callsPerFile == earlierExtenderCalls - before);
        callsPerFile = earlierExtenderCalls - before;
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(nullptr, tif);
        const char* text = "<absent>";
        TIFFGetField(tif, TiffWriter::kLineRepeatTag, &text);
        EXPECT_EQ(c.second, text);
        EXPECT_STREQ("LineRepeat", TIFFFieldName(TIFFFieldWithTag(tif, TiffWriter::kLineRepeatTag)));
        TIFFClose(tif);
    }
}

TEST(TiffWriter, FailuresAreReportedOnStandardError)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(-1, write(testTempDir() + "/no-such-dir/out.tif", false, {}));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ("Could not create tiff file\n", err.substr(err.rfind("Could")));  // after libtiff's own report
    testing::internal::CaptureStderr();
    EXPECT_EQ(-1, write(testTempDir() + "/zero-width.tif", false, {}, 0));
    const std::string err2 = testing::internal::GetCapturedStderr();
    EXPECT_EQ("Could not write image\n", err2.substr(err2.rfind("Could")));
}
