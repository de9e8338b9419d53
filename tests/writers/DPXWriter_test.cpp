#include "writers/writeDPX.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/ByteFields.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

constexpr size_t kData = 8192;

// A 10-bit datum left-aligned in 16 bits, with low bits that must be dropped.
unsigned short at10(unsigned datum) { return static_cast<unsigned short>((datum << 6) | 0x3F); }

uint32_t word(unsigned high, unsigned middle, unsigned low) { return (high << 22) | (middle << 12) | (low << 2); }

std::string write(std::vector<unsigned short> samples, DPX::eFormat format, int width, int height,
                  const std::string& path, DPX::Metadata metadata = {})
{
    samples.resize(static_cast<size_t>(width) * height * 4);
    EXPECT_EQ(0, DPXWriter::writeDPX(samples.data(), format, width, height, 10, path.c_str(), metadata));
    return readFile(path);
}

uint32_t u32(const std::string& b, size_t at) { return hostField<uint32_t>(b, at); }

}  // namespace

TEST(DPXWriter, HeaderFields)
{
    const std::string dir = testTempDir();
    const std::string b = write({}, DPX::kCbYCr, 12, 2, dir + "/" + std::string(150, 'n'),
                                {std::string(300, 'c'), "proj", std::string(300, 'r')});
    ASSERT_EQ(kData + 12 * 4 * 2, b.size());
    EXPECT_EQ("XPDS", b.substr(0, 4));  // 0x53445058 in this host's (little-endian) order
    const struct { size_t offset; uint32_t value; } words[] = {
        {0, 0x53445058}, {4, 8192}, {16, kData + 96}, {20, 0}, {24, 768}, {28, 0}, {32, 0}, {660, 0xFFFFFFFF},
        {772, 12}, {776, 2}, {780, 0}, {784, 64}, {792, 940}, {808, 8192}, {812, 0}, {816, 0}};
    for (const auto& w : words) EXPECT_EQ(w.value, u32(b, w.offset)) << "offset " << w.offset;
    EXPECT_EQ("V2.0", textField(b, 8, 8));
    EXPECT_EQ("/" + std::string(98, 'n'), textField(b, 36, 100));
    EXPECT_EQ(std::string(99, 'c'), textField(b, 160, 100));
    EXPECT_EQ("proj", textField(b, 260, 200));
    EXPECT_EQ(std::string(199, 'r'), textField(b, 460, 200));
    EXPECT_EQ(0, hostField<uint16_t>(b, 768));
    EXPECT_EQ(1, hostField<uint16_t>(b, 770));
    EXPECT_EQ(0.0f, hostField<float>(b, 788));
    EXPECT_EQ(1.0f, hostField<float>(b, 796));
    EXPECT_EQ(std::string("\x66\x06\x06\x0A\x01\x00\x00\x00", 8), b.substr(800, 8));  // 102, 709, 709, 10 bits, packing 1
    EXPECT_EQ(std::string(104, '\0'), b.substr(664, 104));
    EXPECT_EQ(std::string(kData - 820, '\0'), b.substr(820, kData - 820));
}

TEST(DPXWriter, FileNameFromTheLastSlashAndCreationTime)
{
    const std::string dir = testTempDir();
    mkdir((dir + "/a").c_str(), 0755);
    char previous[4096];
    ASSERT_NE(nullptr, getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(dir.c_str()));
    EXPECT_EQ("/b.dpx", textField(write({}, DPX::kCbYCrY, 6, 1, "a/b.dpx"), 36, 100));
    EXPECT_EQ("b.dpx", textField(write({}, DPX::kCbYCrY, 6, 1, "b.dpx"), 36, 100));
    // A zone name that leaves no room for the terminator is dropped.
    const std::string stamp = R"(\d{4}:\d\d:\d\d:\d\d:\d\d:\d\d)";
    for (const auto& zone : {std::make_pair("UTC0", stamp + ":UTC"), std::make_pair("LONGZONE0", stamp)}) {
        setenv("TZ", zone.first, 1);
        tzset();
        const std::string text = textField(write({}, DPX::kCbYCrY, 6, 1, "t.dpx"), 136, 24);
        EXPECT_TRUE(std::regex_match(text, std::regex(zone.second))) << text;
    }
    unsetenv("TZ");
    tzset();
    ASSERT_EQ(0, chdir(previous));
}

TEST(DPXWriter, FileSizeFromBytesPerLineAndOpenFailure)
{
    const struct { DPX::eFormat format; int width, height; size_t lineBytes; } cases[] = {
        {DPX::kRGB, 10, 3, 40},      {DPX::kRGBA, 10, 3, 53},     {DPX::kABGR, 10, 3, 53},
        {DPX::kCbYCrY, 10, 3, 26},   {DPX::kCbYaCrYa, 10, 3, 40}, {DPX::kCbYCr, 10, 3, 40},
        {DPX::kCbYCrA, 10, 3, 53},   {static_cast<DPX::eFormat>(6), 4, 4, 0},
        {DPX::kCbYCrY, 1920, 2, 5120}, {DPX::kCbYCrY, 1280, 2, 3413}, {DPX::kRGB, 16, 0, 64}};
    for (const auto& c : cases) {
        const std::string b = write({}, c.format, c.width, c.height, testTempDir() + "/out.dpx");
        EXPECT_EQ(kData + c.lineBytes * c.height, b.size()) << c.format << " " << c.width;
        EXPECT_EQ(b.size(), u32(b, 16));
        EXPECT_EQ(c.format, static_cast<unsigned char>(b.at(800)));
    }
    DPX::Metadata metadata;
    unsigned short samples[4] = {};
    EXPECT_EQ(-1, DPXWriter::writeDPX(samples, DPX::kRGB, 1, 1, 10, (testTempDir() + "/no/out.dpx").c_str(), metadata));
}

TEST(DPXWriter, PackingOfRgbAndFourFourFour)
{
    const std::string path = testTempDir() + "/out.dpx";
    std::string b = write({0xFFC0, 0x8000, 0x0000, 0xFFFF, at10(1), at10(2), at10(3), at10(1023)}, DPX::kRGB, 2, 1, path);
    EXPECT_EQ(0xFFE00000u, u32(b, kData));
    EXPECT_EQ(word(1, 2, 3), u32(b, kData + 4));  // alpha and the low bits dropped

    std::vector<unsigned short> ycc;
    for (unsigned i = 0; i < 6; ++i) ycc.insert(ycc.end(), {at10(100 + i), at10(500 + i), at10(900 + i), 0xFFFF});
    b = write(ycc, DPX::kCbYCr, 3, 2, path);
    for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(word(100 + i, 500 + i, 900 + i), u32(b, kData + 4 * i)) << i;
}

TEST(DPXWriter, PackingOfFourTwoTwoInWholeGroupsOfSix)
{
    // Pixel p holds Cr 100+p, Y 400+p, Cb 800+p; the two pixels after the group are white.
    std::vector<unsigned short> samples;
    for (unsigned p = 0; p < 6; ++p) samples.insert(samples.end(), {at10(100 + p), at10(400 + p), at10(800 + p), 0});
    samples.resize(8 * 4, 0xFFFF);
    const std::string b = write(samples, DPX::kCbYCrY, 8, 1, testTempDir() + "/out.dpx");
    ASSERT_EQ(kData + 21, b.size());
    EXPECT_EQ(word(100, 400, 800), u32(b, kData));
    EXPECT_EQ(word(402, 802, 401), u32(b, kData + 4));
    EXPECT_EQ(word(804, 403, 102), u32(b, kData + 8));
    EXPECT_EQ(word(405, 104, 404), u32(b, kData + 12));
    EXPECT_EQ(std::string(5, '\0'), b.substr(kData + 16));
}
