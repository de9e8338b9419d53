#include "writers/writeDPX.h"

#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr size_t kDataOffset = 8192;

// Reads fields of a DPX file written in this host's byte order.
class DpxFile {
public:
    explicit DpxFile(const std::string& path) : bytes_(readFile(path)) {}

    size_t size() const { return bytes_.size(); }
    uint8_t u8(size_t offset) const { return static_cast<uint8_t>(bytes_.at(offset)); }
    uint16_t u16(size_t offset) const { return get<uint16_t>(offset); }
    uint32_t u32(size_t offset) const { return get<uint32_t>(offset); }
    float f32(size_t offset) const { return get<float>(offset); }
    // A zero-terminated text field; the terminator must lie inside the field.
    std::string text(size_t offset, size_t fieldSize) const
    {
        const std::string field = bytes_.substr(offset, fieldSize);
        const size_t end = field.find('\0');
        return end == std::string::npos ? "<unterminated>" : field.substr(0, end);
    }
    bool zeroFrom(size_t begin, size_t end) const
    {
        for (size_t i = begin; i < end; ++i) {
            if (bytes_.at(i) != '\0') {
                return false;
            }
        }
        return true;
    }
    uint32_t dataWord(size_t lineBytes, size_t line, size_t word) const
    {
        return u32(kDataOffset + lineBytes * line + word * 4);
    }

private:
    template <typename T>
    T get(size_t offset) const
    {
        T value;
        std::memcpy(&value, bytes_.substr(offset, sizeof value).data(), sizeof value);
        return value;
    }
    std::string bytes_;
};

// A buffer of width x height pixels of four samples, all zero.
std::vector<unsigned short> blank(int width, int height)
{
    return std::vector<unsigned short>(static_cast<size_t>(width) * height * 4, 0);
}

// A 10-bit datum left-aligned in 16 bits, with low bits that must be dropped.
unsigned short sample(unsigned datum)
{
    return static_cast<unsigned short>((datum << 6) | 0x3F);
}

int write(std::vector<unsigned short>& samples, DPX::eFormat format, int width, int height,
          const std::string& path, DPX::Metadata metadata = {})
{
    return DPXWriter::writeDPX(samples.data(), format, width, height, 10, path.c_str(), metadata);
}

uint32_t word(unsigned high, unsigned middle, unsigned low)
{
    return (high << 22) | (middle << 12) | (low << 2);
}

// Sets TZ for one test and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        hadOld_ = old != nullptr;
        if (hadOld_) {
            old_ = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (hadOld_) {
            setenv("TZ", old_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

// Runs in a directory for one test so that relative paths can be used.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& dir)
    {
        char buffer[4096];
        old_ = getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".";
        EXPECT_EQ(0, chdir(dir.c_str()));
    }
    ~ScopedWorkingDirectory() { EXPECT_EQ(0, chdir(old_.c_str())); }

private:
    std::string old_;
};

}  // namespace

// --- Headers ----------------------------------------------------------------

TEST(DPXWriterHeader, FieldsAtTheirOffsets)
{
    std::vector<unsigned short> samples = blank(12, 2);
    const std::string path = testTempDir() + "/header.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCr, 12, 2, path, {"maker", "proj", "(c) us"}));

    const DpxFile dpx(path);
    ASSERT_EQ(kDataOffset + 12 * 4 * 2, dpx.size());
    EXPECT_EQ(0, std::memcmp("XPDS", readFile(path).data(), 4));
    EXPECT_EQ(0x53445058u, dpx.u32(0));
    EXPECT_EQ(8192u, dpx.u32(4));
    EXPECT_EQ("V2.0", dpx.text(8, 8));
    EXPECT_EQ(dpx.size(), dpx.u32(16));
    EXPECT_EQ(0u, dpx.u32(20));
    EXPECT_EQ(768u, dpx.u32(24));
    EXPECT_EQ(0u, dpx.u32(28));
    EXPECT_EQ(0u, dpx.u32(32));
    EXPECT_EQ("/header.dpx", dpx.text(36, 100));
    EXPECT_EQ("maker", dpx.text(160, 100));
    EXPECT_EQ("proj", dpx.text(260, 200));
    EXPECT_EQ("(c) us", dpx.text(460, 200));
    EXPECT_EQ(0xFFFFFFFFu, dpx.u32(660));
    EXPECT_TRUE(dpx.zeroFrom(664, 768));

    EXPECT_EQ(0, dpx.u16(768));
    EXPECT_EQ(1, dpx.u16(770));
    EXPECT_EQ(12u, dpx.u32(772));
    EXPECT_EQ(2u, dpx.u32(776));
    EXPECT_EQ(0u, dpx.u32(780));
    EXPECT_EQ(64u, dpx.u32(784));
    EXPECT_EQ(0.0f, dpx.f32(788));
    EXPECT_EQ(940u, dpx.u32(792));
    EXPECT_EQ(1.0f, dpx.f32(796));
    EXPECT_EQ(102, dpx.u8(800));
    EXPECT_EQ(6, dpx.u8(801));
    EXPECT_EQ(6, dpx.u8(802));
    EXPECT_EQ(10, dpx.u8(803));
    EXPECT_EQ(1, dpx.u16(804));
    EXPECT_EQ(0, dpx.u16(806));
    EXPECT_EQ(8192u, dpx.u32(808));
    EXPECT_EQ(0u, dpx.u32(812));
    EXPECT_EQ(0u, dpx.u32(816));
    EXPECT_TRUE(dpx.zeroFrom(820, kDataOffset));
}

TEST(DPXWriterHeader, LongTextsAreCutToLeaveATerminator)
{
    std::vector<unsigned short> samples = blank(6, 1);
    const std::string dir = testTempDir();
    const std::string longName(150, 'n');
    const std::string path = dir + "/" + longName;
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 6, 1, path,
                       {std::string(300, 'c'), std::string(300, 'p'), std::string(300, 'r')}));
    const DpxFile dpx(path);
    EXPECT_EQ("/" + std::string(98, 'n'), dpx.text(36, 100));
    EXPECT_EQ(std::string(99, 'c'), dpx.text(160, 100));
    EXPECT_EQ(std::string(199, 'p'), dpx.text(260, 200));
    EXPECT_EQ(std::string(199, 'r'), dpx.text(460, 200));
    EXPECT_EQ(0xFFFFFFFFu, dpx.u32(660));  // not overrun by the copyright text
}

TEST(DPXWriterHeader, FileNameStartsAtTheLastSlash)
{
    const std::string dir = testTempDir();
    ASSERT_EQ(0, system(("mkdir -p '" + dir + "/a'").c_str()));
    ScopedWorkingDirectory inTestDir(dir);
    std::vector<unsigned short> samples = blank(6, 1);

    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 6, 1, "a/b.dpx"));
    EXPECT_EQ("/b.dpx", DpxFile("a/b.dpx").text(36, 100));

    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 6, 1, "b.dpx"));
    EXPECT_EQ("b.dpx", DpxFile("b.dpx").text(36, 100));
}

TEST(DPXWriterHeader, CreationTimeWithAThreeLetterZone)
{
    ScopedTimeZone zone("UTC0");
    std::vector<unsigned short> samples = blank(6, 1);
    const std::string path = testTempDir() + "/utc.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 6, 1, path));
    const std::string stamp = DpxFile(path).text(136, 24);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}:\d\d:\d\d:\d\d:\d\d:\d\d:UTC)"))) << stamp;
}

TEST(DPXWriterHeader, CreationTimeDropsAZoneNameThatDoesNotFit)
{
    ScopedTimeZone zone("LONGZONE0");
    std::vector<unsigned short> samples = blank(6, 1);
    const std::string path = testTempDir() + "/long-zone.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 6, 1, path));
    const DpxFile dpx(path);
    const std::string stamp = dpx.text(136, 24);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}:\d\d:\d\d:\d\d:\d\d:\d\d)"))) << stamp;
    EXPECT_TRUE(dpx.zeroFrom(136 + stamp.size(), 160));
}

// --- Sizes --------------------------------------------------------------------

TEST(DPXWriterSize, FullHd422)
{
    std::vector<unsigned short> samples = blank(1920, 1080);
    const std::string path = testTempDir() + "/hd422.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 1920, 1080, path));
    const DpxFile dpx(path);
    EXPECT_EQ(8192u + 5120u * 1080u, dpx.size());
    EXPECT_EQ(dpx.size(), dpx.u32(16));
}

TEST(DPXWriterSize, HeightZeroWritesOnlyTheHeaders)
{
    std::vector<unsigned short> samples = blank(1, 1);
    const std::string path = testTempDir() + "/empty.dpx";
    ASSERT_EQ(0, write(samples, DPX::kRGB, 16, 0, path));
    const DpxFile dpx(path);
    EXPECT_EQ(kDataOffset, dpx.size());
    EXPECT_EQ(8192u, dpx.u32(16));
    EXPECT_EQ(0u, dpx.u32(776));
}

TEST(DPXWriterSize, LineSizesOfEveryDescriptor)
{
    struct Case {
        DPX::eFormat format;
        size_t bytesPerLine;
    };
    const int width = 10;
    const Case cases[] = {{DPX::kRGB, 40},      {DPX::kRGBA, 53},   {DPX::kABGR, 53},  {DPX::kCbYCrY, 26},
                          {DPX::kCbYaCrYa, 40}, {DPX::kCbYCr, 40},  {DPX::kCbYCrA, 53}};
    std::vector<unsigned short> samples = blank(width, 3);
    const std::string dir = testTempDir();
    for (const Case& c : cases) {
        const std::string path = dir + "/" + std::to_string(c.format) + ".dpx";
        ASSERT_EQ(0, write(samples, c.format, width, 3, path));
        const DpxFile dpx(path);
        EXPECT_EQ(kDataOffset + c.bytesPerLine * 3, dpx.size()) << "descriptor " << c.format;
        EXPECT_EQ(c.format, dpx.u8(800));
    }
}

TEST(DPXWriterSize, UnknownDescriptorHasEmptyLines)
{
    std::vector<unsigned short> samples = blank(4, 4);
    const std::string path = testTempDir() + "/unknown.dpx";
    ASSERT_EQ(0, write(samples, static_cast<DPX::eFormat>(6), 4, 4, path));
    EXPECT_EQ(kDataOffset, DpxFile(path).size());
}

// --- Packing ------------------------------------------------------------------

TEST(DPXWriterPacking, RgbWordHoldsRedGreenBlueFromTheTop)
{
    std::vector<unsigned short> samples = {0xFFC0, 0x8000, 0x0000, 0xFFFF,
                                           sample(1), sample(2), sample(3), sample(1023)};
    const std::string path = testTempDir() + "/rgb.dpx";
    ASSERT_EQ(0, write(samples, DPX::kRGB, 2, 1, path));
    const DpxFile dpx(path);
    ASSERT_EQ(kDataOffset + 8, dpx.size());
    EXPECT_EQ(0xFFE00000u, dpx.dataWord(8, 0, 0));
    EXPECT_EQ(word(1, 2, 3), dpx.dataWord(8, 0, 1));  // alpha and low bits dropped
}

TEST(DPXWriterPacking, YCbCr444WordHoldsCrYCb)
{
    std::vector<unsigned short> samples = blank(3, 2);
    for (unsigned i = 0; i < 6; ++i) {
        samples[i * 4 + 0] = sample(100 + i);
        samples[i * 4 + 1] = sample(500 + i);
        samples[i * 4 + 2] = sample(900 + i);
    }
    const std::string path = testTempDir() + "/444.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCr, 3, 2, path));
    const DpxFile dpx(path);
    for (unsigned i = 0; i < 6; ++i) {
        EXPECT_EQ(word(100 + i, 500 + i, 900 + i), dpx.dataWord(12, i / 3, i % 3)) << "pixel " << i;
    }
}

TEST(DPXWriterPacking, YCbCr422GroupOfSix)
{
    std::vector<unsigned short> samples = blank(6, 1);
    auto cr = [](unsigned p) { return 100 + p; };
    auto y = [](unsigned p) { return 400 + p; };
    auto cb = [](unsigned p) { return 800 + p; };
    for (unsigned p = 0; p < 6; ++p) {
        samples[p * 4 + 0] = sample(cr(p));
        samples[p * 4 + 1] = sample(y(p));
        samples[p * 4 + 2] = sample(cb(p));
        samples[p * 4 + 3] = 0xFFFF;
    }
    const std::string path = testTempDir() + "/422.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, 6, 1, path));
    const DpxFile dpx(path);
    ASSERT_EQ(kDataOffset + 16, dpx.size());
    EXPECT_EQ(word(cr(0), y(0), cb(0)), dpx.dataWord(16, 0, 0));
    EXPECT_EQ(word(y(2), cb(2), y(1)), dpx.dataWord(16, 0, 1));
    EXPECT_EQ(word(cb(4), y(3), cr(2)), dpx.dataWord(16, 0, 2));
    EXPECT_EQ(word(y(5), cr(4), y(4)), dpx.dataWord(16, 0, 3));
}

TEST(DPXWriterPacking, Width1280In422LeavesTheLineTailZero)
{
    const int width = 1280;
    const int height = 3;
    const size_t lineBytes = 3413;
    std::vector<unsigned short> samples(static_cast<size_t>(width) * height * 4, 0xFFFF);
    for (int line = 0; line < height; ++line) {
        samples[static_cast<size_t>(line) * width * 4 + 1] = sample(10 + line);  // Y of the first pixel
    }
    const std::string path = testTempDir() + "/1280.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, width, height, path));
    const DpxFile dpx(path);
    ASSERT_EQ(kDataOffset + lineBytes * height, dpx.size());
    for (int line = 0; line < height; ++line) {
        const size_t start = kDataOffset + lineBytes * line;
        EXPECT_EQ(word(1023, 10 + line, 1023), dpx.u32(start)) << "line " << line;
        EXPECT_EQ(0xFFFFFFFCu, dpx.u32(start + 3404)) << "last packed word, line " << line;
        EXPECT_TRUE(dpx.zeroFrom(start + 3408, start + lineBytes)) << "line " << line;
    }
}

TEST(DPXWriterPacking, PixelsBeyondTheLastGroupAreNotStored)
{
    const int width = 8;  // one group of six, then two pixels that do not make a group
    std::vector<unsigned short> samples = blank(width, 2);
    for (size_t i = 6 * 4; i < 8 * 4; ++i) {
        samples[i] = 0xFFFF;
    }
    const std::string path = testTempDir() + "/8.dpx";
    ASSERT_EQ(0, write(samples, DPX::kCbYCrY, width, 2, path));
    const DpxFile dpx(path);
    ASSERT_EQ(kDataOffset + 21 * 2, dpx.size());
    EXPECT_TRUE(dpx.zeroFrom(kDataOffset, dpx.size()));
}

// --- Failures -----------------------------------------------------------------

TEST(DPXWriterFailure, MissingDirectory)
{
    std::vector<unsigned short> samples = blank(6, 1);
    const std::string path = testTempDir() + "/no-such-dir/out.dpx";
    EXPECT_EQ(-1, write(samples, DPX::kCbYCrY, 6, 1, path));
    EXPECT_EQ("", readFile(path));
}
