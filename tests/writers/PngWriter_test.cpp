#include "writers/writePng.h"

#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct PngImage {
    bool ok = false;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    std::vector<unsigned char> bytes;  // the rows as stored, one after another
};

// Reads every row without transformations; `image` lives in the caller so
// that it survives libpng's long jump.
void decode(png_structp png, png_infop info, FILE* file, PngImage& image)
{
    if (setjmp(png_jmpbuf(png))) {
        image.ok = false;
        return;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &image.width, &image.height, &image.bitDepth, &image.colourType,
                 &image.interlace, nullptr, nullptr);
    png_bytepp rows = png_get_rows(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    for (png_uint_32 y = 0; y < image.height; ++y) {
        image.bytes.insert(image.bytes.end(), rows[y], rows[y] + rowBytes);
    }
    image.ok = true;
}

PngImage readPng(const std::string& path)
{
    PngImage image;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return image;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    decode(png, info, file, image);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return image;
}

bool fileExists(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        std::fclose(file);
    }
    return file != nullptr;
}

}  // namespace

// --- What the file holds --------------------------------------------------

TEST(PngWriterContent, OnePixelIsSixteenBitRgbaWithoutInterlace)
{
    std::vector<unsigned short> samples = {0x1234, 0xABCD, 0x0040, 0xFFFF};
    const std::string path = testTempDir() + "/one.png";
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), false, 1, 1, 12, path.c_str()));

    const PngImage image = readPng(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(1u, image.width);
    EXPECT_EQ(1u, image.height);
    EXPECT_EQ(16, image.bitDepth);
    EXPECT_EQ(PNG_COLOR_TYPE_RGB_ALPHA, image.colourType);
    EXPECT_EQ(PNG_INTERLACE_NONE, image.interlace);
    const std::vector<unsigned char> expected = {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x40, 0xFF, 0xFF};
    EXPECT_EQ(expected, image.bytes);
}

TEST(PngWriterContent, SamplesKeepBufferOrderAcrossRowsAndChannels)
{
    const int width = 3;
    const int height = 2;
    std::vector<unsigned short> samples(width * height * 4);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<unsigned short>(0x0100 * i + 0x10 + i);  // distinct high and low bytes
    }
    const std::string path = testTempDir() + "/rows.png";
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), true, width, height, 10, path.c_str()));

    const PngImage image = readPng(path);
    ASSERT_TRUE(image.ok);
    ASSERT_EQ(samples.size() * 2, image.bytes.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i] >> 8, image.bytes[2 * i]) << "sample " << i;
        EXPECT_EQ(samples[i] & 0xFF, image.bytes[2 * i + 1]) << "sample " << i;
    }
}

TEST(PngWriterContent, ColourFlagAndBitDepthDoNotChangeTheFile)
{
    std::vector<unsigned short> samples = {0xFFC0, 0x8000, 0x0000, 0xFFFF, 0x1000, 0x2000, 0x3000, 0xFFFF};
    const std::string dir = testTempDir();
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), false, 2, 1, 12, (dir + "/rgb.png").c_str()));
    ASSERT_EQ(0, PngWriter::writePng(samples.data(), true, 2, 1, 10, (dir + "/ycc.png").c_str()));
    const std::string rgb = readFile(dir + "/rgb.png");
    EXPECT_FALSE(rgb.empty());
    EXPECT_EQ(rgb, readFile(dir + "/ycc.png"));
}

// --- Failures ---------------------------------------------------------------

TEST(PngWriterFailure, MissingDirectoryFailsWithoutCreatingAFile)
{
    std::vector<unsigned short> samples(4, 0);
    const std::string path = testTempDir() + "/no-such-dir/out.png";
    EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, 1, 1, 12, path.c_str()));
    EXPECT_FALSE(fileExists(path));
}

TEST(PngWriterFailure, ZeroWidthIsRejected)
{
    std::vector<unsigned short> samples(4, 0);
    const std::string path = testTempDir() + "/w0.png";
    EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, 0, 1, 12, path.c_str()));
}

TEST(PngWriterFailure, ZeroHeightIsRejected)
{
    std::vector<unsigned short> samples(4, 0);
    const std::string path = testTempDir() + "/h0.png";
    EXPECT_EQ(-1, PngWriter::writePng(samples.data(), false, 1, 0, 12, path.c_str()));
}
