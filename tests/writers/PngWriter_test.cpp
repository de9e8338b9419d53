#include "writers/writePng.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PngReader.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

TEST(PngWriter, StoresEverySampleInBufferOrderAsSixteenBitRgba)
{
    std::vector<unsigned short> samples(3 * 2 * 4);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<unsigned short>(0x0111 * i + 0x8001);
    const std::string dir = testTempDir();
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), false, 3, 2, 12, (dir + "/rgb.png").c_str()));
    const std::string bytes = readFile(dir + "/rgb.png");
    // IHDR after the 8-byte signature and the chunk's length and type: width,
    // height, bit depth 16, colour type 6, compression, filter and interlace 0.
    EXPECT_EQ(std::string("\0\0\0\x03\0\0\0\x02\x10\x06\0\0\0", 13), bytes.substr(16, 13));
    const PngImage image = readPng(dir + "/rgb.png");
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(std::vector<uint16_t>(samples.begin(), samples.end()), image.samples);
    // The colour flag and the bit depth leave the file unchanged.
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), true, 3, 2, 10, (dir + "/ycc.png").c_str()));
    EXPECT_EQ(bytes, readFile(dir + "/ycc.png"));
}

TEST(PngWriter, FailuresReturnMinusOne)
{
    std::vector<unsigned short> samples(4, 0);
    const std::string dir = testTempDir();
    // A missing directory; an empty image header that libpng refuses, jumping back to the writer.
    const struct {
        std::string path;
        int width, height;
    } cases[] = {{dir + "/no-such-dir/out.png", 1, 1}, {dir + "/w0.png", 0, 1}, {dir + "/h0.png", 1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, c.width, c.height, 12, c.path.c_str())) << c.path;
}
