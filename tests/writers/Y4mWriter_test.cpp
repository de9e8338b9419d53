// The Y4M header line and the frames of a stream, byte by byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "writers/OutputFile.h"
#include "writers/Y4mHeader.h"
#include "writers/Y4mWriter.h"

namespace {

using Y4m::Chroma;

Y4m::Header headerOf(int width, int height, Chroma chroma, int bits)
{
    Y4m::Header h;
    h.width = width;
    h.height = height;
    h.chroma = chroma;
    h.bitDepth = bits;
    return h;
}

std::string colourField(const Y4m::Header& h)
{
    const std::string line = Y4m::headerLine(h);
    const std::size_t at = line.find(" C");
    return line.substr(at + 2, line.find(' ', at + 1) - at - 2);
}

}  // namespace

TEST(Y4mHeader, ColourTagOfEveryDepthAndSampling)
{
    // 11, 13 and 15 bits are stored as 12, 14 and 16, which readers know.
    const struct {
        int bits;
        const char* full;
        const char* half;
        const char* quarter;
    } rows[] = {
        {8, "444", "422", "420paldv"},      {9, "444p9", "422p9", "420p9"},     {10, "444p10", "422p10", "420p10"},
        {11, "444p12", "422p12", "420p12"}, {12, "444p12", "422p12", "420p12"}, {13, "444p14", "422p14", "420p14"},
        {14, "444p14", "422p14", "420p14"}, {15, "444p16", "422p16", "420p16"}, {16, "444p16", "422p16", "420p16"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(colourField(headerOf(64, 36, Chroma::Full444, r.bits)), r.full) << r.bits;
        EXPECT_EQ(colourField(headerOf(64, 36, Chroma::Half422, r.bits)), r.half) << r.bits;
        EXPECT_EQ(colourField(headerOf(64, 36, Chroma::Quarter420, r.bits)), r.quarter) << r.bits;
    }
}

TEST(Y4mHeader, WholeLinesOfCommonFormats)
{
    Y4m::Header sd = headerOf(720, 576, Chroma::Half422, 10);
    sd.pixelAspect = Y4m::pixelAspectOf(720, 576, 4, 3);
    sd.fieldOrder = Y4m::FieldOrder::TopFirst;
    EXPECT_EQ(Y4m::headerLine(sd), "YUV4MPEG2 W720 H576 F25:1 It A16:15 C422p10 XCOLORRANGE=LIMITED\n");
    sd.pixelAspect = Y4m::pixelAspectOf(720, 576, 16, 9);
    sd.fieldOrder = Y4m::FieldOrder::BottomFirst;
    EXPECT_EQ(Y4m::headerLine(sd), "YUV4MPEG2 W720 H576 F25:1 Ib A64:45 C422p10 XCOLORRANGE=LIMITED\n");

    Y4m::Header hd = headerOf(1920, 1080, Chroma::Quarter420, 8);
    hd.pixelAspect = Y4m::pixelAspectOf(1920, 1080, 16, 9);
    hd.frameRate = {60000, 1001};
    hd.fullRange = true;
    EXPECT_EQ(Y4m::headerLine(hd), "YUV4MPEG2 W1920 H1080 F60000:1001 Ip A1:1 C420paldv XCOLORRANGE=FULL\n");
    hd.frameRate = {50, 2};  // in lowest terms
    EXPECT_EQ(Y4m::headerLine(hd).substr(0, 31), "YUV4MPEG2 W1920 H1080 F25:1 Ip ");
}

TEST(Y4mHeader, StaysWithinEightyBytesAt8kAndOddSizes)
{
    const int sizes[][2] = {{7680, 4320}, {7679, 4319}, {4097, 2161}, {1919, 1079}, {719, 575}, {4, 1}};
    const int aspects[][2] = {{16, 9}, {4, 3}, {14, 9}, {21, 9}, {1, 1}};
    const Y4m::Ratio rates[] = {{24000, 1001}, {25, 1}, {30000, 1001}, {50, 1}, {60000, 1001}};
    for (const auto& size : sizes) {
        for (const auto& aspect : aspects) {
            for (const Y4m::Ratio rate : rates) {
                for (int bits : {8, 16}) {
                    Y4m::Header h = headerOf(size[0], size[1], Chroma::Quarter420, bits);
                    h.pixelAspect = Y4m::pixelAspectOf(size[0], size[1], aspect[0], aspect[1]);
                    h.frameRate = rate;
                    const std::string line = Y4m::headerLine(h);
                    EXPECT_LE(line.size(), Y4m::kMaxHeaderBytes) << line;
                }
            }
        }
    }
}

TEST(Y4mWriter, FramesRepeatTheSamePlanesLittleEndianAtTheStoredDepth)
{
    // 3x2 at 4:2:0, 11 bits: every code goes up one bit, two bytes each.
    const Y4m::Header h = headerOf(3, 2, Chroma::Quarter420, 11);
    Y4mWriter writer(h);
    const uint16_t line0[] = {1, 0x7FF, 0x123};
    const uint16_t line1[] = {4, 5, 6};
    const uint16_t cb[] = {0x400, 7};
    const uint16_t cr[] = {8, 0x401};
    writer.addChroma(cb, cr);
    writer.addLuma(line0);
    writer.addLuma(line1);

    const std::string path = emptyTempDir() + "/w.y4m";
    OutputFile out(path);
    ASSERT_TRUE(out.open());
    ASSERT_TRUE(writer.write(out, 3));
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(writer.framesWritten(), 3);

    const std::string frame = std::string("FRAME\n") +
                              std::string("\x02\x00\xFE\x0F\x46\x02\x08\x00\x0A\x00\x0C\x00", 12) +  // Y'
                              std::string("\x00\x08\x0E\x00", 4) +                                   // Cb
                              std::string("\x10\x00\x02\x08", 4);                                    // Cr
    EXPECT_EQ(readFile(path), Y4m::headerLine(h) + frame + frame + frame);
}

TEST(Y4mWriter, FramesHandedToAPipeOutliveTheWriter)
{
    // The frames are handed to the pipe, not copied: they must still be there,
    // unchanged, when the reader reads them after the writer is gone and the
    // program has gone on allocating and writing memory.
    const Y4m::Header h = headerOf(64, 16, Chroma::Full444, 8);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const auto fill = [](Y4mWriter& writer) {
        std::vector<uint16_t> line(64);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 64; ++x) line[static_cast<std::size_t>(x)] = static_cast<uint16_t>(x + 3 * y);
            writer.addLuma(line.data());
            writer.addChroma(line.data(), line.data());
        }
    };
    const std::string path = emptyTempDir() + "/same.y4m";
    {
        Y4mWriter writer(h);
        fill(writer);
        OutputFile file(path);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(writer.write(file, 3));
        ASSERT_TRUE(file.commit());
    }
    const std::string expected = readFile(path);
    {
        Y4mWriter writer(h);
        fill(writer);
        OutputFile out("pipe", fds[1]);
        ASSERT_TRUE(out.open());
        ASSERT_TRUE(writer.write(out, 3));  // about 9 KiB: the pipe holds it all
        ASSERT_TRUE(out.commit());
    }
    ::close(fds[1]);
    for (int i = 0; i < 8; ++i) {
        std::vector<unsigned char> churn(Y4m::frameBytes(h), 0xAA);
        EXPECT_EQ(churn.back(), 0xAA);
    }
    std::string read;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) read.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    EXPECT_EQ(read.size(), expected.size());
    EXPECT_TRUE(read == expected);
}
