#include "writers/writePng.h"

#include <png.h>

#include <cstddef>
#include <cstdio>

namespace PngWriter {

namespace {

constexpr int kPngBitDepth = 16;
constexpr int kSamplesPerPixel = 4;  // red, green, blue, alpha
constexpr int kBytesPerSample = 2;

// The libpng-owned copy of the image, one row per buffer line. It lives in the
// caller of the error return point so that its contents are still valid after
// libpng jumps back there.
struct PngRows {
    png_bytepp pointers = nullptr;
    png_uint_32 count = 0;
};

void releaseRows(png_structp png, PngRows& rows)
{
    if (rows.pointers == nullptr) {
        return;
    }
    for (png_uint_32 y = 0; y < rows.count; ++y) {
        png_free(png, rows.pointers[y]);  // png_free ignores null rows
    }
    png_free(png, rows.pointers);
    rows.pointers = nullptr;
}

// Copies the buffer into PNG rows, every sample high byte first.
void fillRows(png_structp png, const unsigned short* samples, int width, int height, PngRows& rows)
{
    const std::size_t samplesPerRow = static_cast<std::size_t>(width) * kSamplesPerPixel;
    // Zeroed, so that a failed row allocation leaves only rows that can be freed.
    rows.pointers = static_cast<png_bytepp>(png_calloc(png, sizeof(png_bytep) * static_cast<std::size_t>(height)));
    rows.count = static_cast<png_uint_32>(height);
    for (int y = 0; y < height; ++y) {
        png_bytep row = static_cast<png_bytep>(png_malloc(png, samplesPerRow * kBytesPerSample));
        rows.pointers[y] = row;
        const unsigned short* line = samples + samplesPerRow * static_cast<std::size_t>(y);
        for (std::size_t i = 0; i < samplesPerRow; ++i) {
            row[i * kBytesPerSample] = static_cast<png_byte>(line[i] >> 8);
            row[i * kBytesPerSample + 1] = static_cast<png_byte>(line[i] & 0xFF);
        }
    }
}

// Everything that libpng may abort with an error. Nothing local to this
// function changes after the return point is set, so a long jump back here
// leaves no stale state; the rows live in the caller.
int encode(png_structp png, png_infop info, FILE* file, const unsigned short* samples, int width,
           int height, PngRows& rows)
{
    if (setjmp(png_jmpbuf(png))) {
        return -1;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 kPngBitDepth, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    fillRows(png, samples, width, height, rows);
    png_init_io(png, file);
    png_set_rows(png, info, rows.pointers);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return 0;
}

}  // namespace

int writePng(unsigned short* samples, bool /*isYCbCr*/, int width, int height, int /*bitDepth*/,
             const char* path)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return -1;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        std::fclose(file);
        return -1;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return -1;
    }

    PngRows rows;
    const int result = encode(png, info, file, samples, width, height, rows);

    releaseRows(png, rows);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return result;
}

}  // namespace PngWriter
