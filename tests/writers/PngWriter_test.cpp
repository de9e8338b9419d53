#include "writers/writePng.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PngReader.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

TEST(PngWriter, StoresEverySampleInBufferOrderAsSixteenBitRgba)
{
    const int width = 3, height = 2;
    std::vector<unsigned short> samples(width * height * 4);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<unsigned short>(0x0111 * i + 0x8001);
    const std::string dir = testTempDir();
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), false, width, height, 12, (dir + "/rgb.png").c_str()));

    const std::string bytes = readFile(dir + "/rgb.png");
    // IHDR after the 8-byte signature and the chunk's length and type: width,
    // height, bit depth 16, colour type 6, compression, filter and interlace 0.
    const std::string ihdr("\0\0\0\x03\0\0\0\x02\x10\x06\0\0\0", 13);
    ASSERT_GE(bytes.size(), 29u);
    EXPECT_EQ(ihdr, bytes.substr(16, 13));
    const PngImage image = readPng(dir + "/rgb.png");
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(4, image.channels);
    EXPECT_EQ(std::vector<uint16_t>(samples.begin(), samples.end()), image.samples);

    // The colour flag and the bit depth leave the file unchanged.
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), true, width, height, 10, (dir + "/ycc.png").c_str()));
    EXPECT_EQ(bytes, readFile(dir + "/ycc.png"));
}

TEST(PngWriter, FailuresReturnMinusOne)
{
    std::vector<unsigned short> samples(4, 0);
    const std::string dir = testTempDir();
    const std::string missing = dir + "/no-such-dir/out.png";
    EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, 1, 1, 12, missing.c_str()));
    EXPECT_EQ("", readFile(missing));
    // libpng refuses an empty image header and jumps back to the writer.
    EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, 0, 1, 12, (dir + "/w0.png").c_str()));
    EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, 1, 0, 12, (dir + "/h0.png").c_str()));
}
