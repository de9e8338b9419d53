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

std::vector<uint16_t> testImage(int width)
{
    std::vector<uint16_t> samples(static_cast<size_t>(width) * 5 * 3);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint16_t>((i * 0x1111 + 0x0123) << 4);
    return samples;
}

int write(const std::string& path, bool isYCbCr, const std::vector<std::pair<int, int>>& repeats, int width = 7)
{
    std::vector<uint16_t> samples = testImage(width);
    return TiffWriter::writeTiff(reinterpret_cast<unsigned char*>(samples.data()), isYCbCr, width, 5, 12, repeats,
                                 path.c_str());
}

}  // namespace

TEST(TiffWriter, TagsLineRepeatsAndOneLosslessStrip)
{
    const struct {
        bool isYCbCr;
        std::vector<std::pair<int, int>> repeats;
        std::string json;
    } cases[] = {{false, {}, "<absent>"}, {true, {{3, 7}}, "[[3,7]]"}, {false, {{0, 0}, {1, 540}}, "[[0,0],[1,540]]"}};
    int callsPerFile = 0;
    for (const auto& c : cases) {
        const std::string path = testTempDir() + "/out.tif";
        const int before = earlierExtenderCalls;
        ASSERT_EQ(0, write(path, c.isYCbCr, c.repeats));
        // Installed twice, the extender would be its own parent and never return.
        EXPECT_TRUE(callsPerFile == 0 || callsPerFile == earlierExtenderCalls - before);
        callsPerFile = earlierExtenderCalls - before;
        EXPECT_GT(callsPerFile, 0);
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(nullptr, tif);
        const char* json = "<absent>";
        TIFFGetField(tif, TiffWriter::kLineRepeatTag, &json);
        EXPECT_EQ(c.json, json);
        uint16_t h = 0, v = 0;  // 1 x 1 subsampling, for Y'CbCr only
        EXPECT_EQ(c.isYCbCr ? 1 : 0, TIFFGetField(tif, TIFFTAG_YCBCRSUBSAMPLING, &h, &v) * h * v);
        const auto field = [tif](ttag_t tag) {
            uint16_t value = 0;
            TIFFGetField(tif, tag, &value);
            return int{value};
        };
        EXPECT_EQ((std::vector<int>{5, 1, c.isYCbCr ? 6 : 2, 16, 3}),  // LZW, contiguous, YCbCr or RGB
                  (std::vector<int>{field(TIFFTAG_COMPRESSION), field(TIFFTAG_PLANARCONFIG), field(TIFFTAG_PHOTOMETRIC),
                                    field(TIFFTAG_BITSPERSAMPLE), field(TIFFTAG_SAMPLESPERPIXEL)}));
        // Seven pixels a line, five lines in the one strip.
        std::vector<uint16_t> read(7 * 5 * 3);
        EXPECT_EQ(tmsize_t{7 * 3 * 2}, TIFFScanlineSize(tif));
        EXPECT_EQ(static_cast<tmsize_t>(read.size() * 2), TIFFReadEncodedStrip(tif, 0, read.data(), -1));
        EXPECT_EQ(testImage(7), read);
        TIFFClose(tif);
    }
}

TEST(TiffWriter, FailuresAreReportedOnStandardError)
{
    const auto lastReport = [](const std::string& name, int width) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(-1, write(testTempDir() + name, false, {}, width));
        const std::string err = testing::internal::GetCapturedStderr();
        return err.substr(err.rfind("Could"));  // after libtiff's own report
    };
    EXPECT_EQ("Could not create tiff file\n", lastReport("/no-such-dir/out.tif", 7));
    EXPECT_EQ("Could not write image\n", lastReport("/zero-width.tif", 0));
}
