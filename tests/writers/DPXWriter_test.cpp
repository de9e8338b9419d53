#include "writers/writeDPX.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/ByteFields.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

constexpr size_t kData = 8192;

// A 10-bit datum left-aligned in 16 bits, with low bits that must be dropped.
unsigned short at10(unsigned datum)
{
    return static_cast<unsigned short>((datum << 6) | 0x3F);
}

uint32_t word(unsigned high, unsigned middle, unsigned low)
{
    return (high << 22) | (middle << 12) | (low << 2);
}

std::string write(std::vector<unsigned short> samples, DPX::eFormat format, int width, int height,
                  const std::string& path = testTempDir() + "/out.dpx", DPX::Metadata metadata = {})
{
    samples.resize(static_cast<size_t>(width) * height * 4);
    EXPECT_EQ(0, DPXWriter::writeDPX(samples.data(), format, width, height, 10, path.c_str(), metadata));
    return readFile(path);
}

uint32_t u32(const std::string& b, size_t at)
{
    return hostField<uint32_t>(b, at);
}

}  // namespace

TEST(DPXWriter, HeaderFields)
{
    const std::string dir = testTempDir();
    mkdir((dir + "/a").c_str(), 0755);
    char previous[4096];
    ASSERT_NE(nullptr, getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(dir.c_str()));
    // The file name is the path from its last slash on, slash included, or the whole path without one.
    EXPECT_EQ("/b.dpx", textField(write({}, DPX::kCbYCrY, 6, 1, "a/b.dpx"), 36, 100));
    const std::string b =
        write({}, DPX::kCbYCr, 12, 2, std::string(150, 'n'), {std::string(300, 'c'), "proj", std::string(300, 'r')});
    ASSERT_EQ(0, chdir(previous));
    ASSERT_EQ(kData + 12 * 4 * 2, b.size());
    // "XPDS" in this host's (little-endian) order; 768: orientation 0 and one element; 788, 796: 0.0f, 1.0f.
    const struct {
        size_t offset;
        uint32_t value;
    } words[] = {{0, 0x53445058}, {4, 8192},         {16, kData + 96}, {20, 0},           {24, 768},  {28, 0},
                 {32, 0},         {660, 0xFFFFFFFF}, {768, 0x10000},   {772, 12},         {776, 2},   {780, 0},
                 {784, 64},       {788, 0},          {792, 940},       {796, 0x3F800000}, {808, 8192}};
    for (const auto& w : words) EXPECT_EQ(w.value, u32(b, w.offset)) << "offset " << w.offset;
    // Texts are cut to leave room for their terminator.
    const struct {
        size_t offset, size;
        std::string text;
    } texts[] = {{8, 8, "V2.0"},
                 {36, 100, std::string(99, 'n')},
                 {160, 100, std::string(99, 'c')},
                 {260, 200, "proj"},
                 {460, 200, std::string(199, 'r')}};
    for (const auto& t : texts) EXPECT_EQ(t.text, textField(b, t.offset, t.size)) << "offset " << t.offset;
    // Descriptor 102, transfer and colorimetric 709, 10 bits, packing 1, no encoding.
    EXPECT_EQ(std::string("\x66\x06\x06\x0A\x01\x00\x00\x00", 8), b.substr(800, 8));
    EXPECT_EQ(std::string(104, '\0'), b.substr(664, 104));
    EXPECT_EQ(std::string(kData - 812, '\0'), b.substr(812, kData - 812));
}

TEST(DPXWriter, FileSizeFromBytesPerLineAndOpenFailure)
{
    const struct {
        DPX::eFormat format;
        int width, height;
        size_t lineBytes;
    } cases[] = {{DPX::kRGB, 10, 3, 40},    {DPX::kRGBA, 10, 3, 53},          {DPX::kABGR, 10, 3, 53},
                 {DPX::kCbYCrY, 10, 3, 26}, {DPX::kCbYaCrYa, 10, 3, 40},      {DPX::kCbYCrA, 10, 3, 53},
                 {DPX::kRGB, 16, 0, 64},    {DPX::kCbYCrY, 1920, 1080, 5120}, {static_cast<DPX::eFormat>(6), 4, 4, 0}};
    for (const auto& c : cases) {
        const std::string b = write({}, c.format, c.width, c.height);
        EXPECT_EQ(kData + c.lineBytes * c.height, b.size()) << c.format << " " << c.width;
        EXPECT_EQ(b.size(), u32(b, 16));
        EXPECT_EQ(c.format, static_cast<unsigned char>(b.at(800)));
    }
    DPX::Metadata metadata;
    unsigned short samples[4] = {};
    EXPECT_EQ(-1, DPXWriter::writeDPX(samples, DPX::kRGB, 1, 1, 10, (testTempDir() + "/no/out.dpx").c_str(), metadata));
}

TEST(DPXWriter, Packing)
{
    // One word per pixel and line, alpha and the low bits dropped.
    std::string b = write({0xFFC0, 0x8000, 0x0000, 0xFFFF, at10(1), at10(2), at10(3), at10(1023)}, DPX::kRGB, 1, 2);
    EXPECT_EQ(std::make_pair(0xFFE00000u, word(1, 2, 3)), std::make_pair(u32(b, kData), u32(b, kData + 4)));
    // 4:2:2, 1280 pixels a line: 213 whole groups of six pixels fill 3408 of the line's 3413 bytes.
    // Pixel x of a line holds Cr 100 + x % 6, Y 400 + x % 6, Cb 800 + x % 6.
    std::vector<unsigned short> s;
    for (unsigned x = 0; x < 1280 * 2; ++x)
        s.insert(s.end(), {at10(100 + x % 1280 % 6), at10(400 + x % 1280 % 6), at10(800 + x % 1280 % 6), 0});
    b = write(s, DPX::kCbYCrY, 1280, 2);
    const uint32_t group[] = {word(100, 400, 800), word(402, 802, 401), word(804, 403, 102), word(405, 104, 404)};
    for (size_t at : {kData, kData + 3392, kData + 3413})  // first and last group of line 0, first of line 1
        for (int i = 0; i < 4; ++i) EXPECT_EQ(group[i], u32(b, at + 4 * i)) << at << " " << i;
}
