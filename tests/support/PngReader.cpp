#include "support/PngReader.h"

#include <png.h>

#include <cstdio>

namespace {

// Kept apart from readPng so that nothing with a destructor lives across setjmp.
bool decode(png_structp png, png_infop info, FILE* file, PngImage& image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    // A reader that checks what it reads: a wrong Adler-32 (only a warning to
    // libpng) and a wrong CRC of any chunk (ancillary ones are otherwise
    // dropped with a warning) make the file unreadable.
    png_set_benign_errors(png, 0);
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &image.bitDepth, &image.colourType, &interlace, nullptr, nullptr);
    image.width = width;
    image.height = height;
    image.channels = png_get_channels(png, info);
    png_bytepp rows = png_get_rows(png, info);
    const size_t perRow = static_cast<size_t>(width) * image.channels;
    image.samples.resize(perRow * height);
    for (png_uint_32 y = 0; y < height; ++y) {
        for (size_t i = 0; i < perRow; ++i) {
            image.samples[y * perRow + i] =
                image.bitDepth == 16 ? static_cast<uint16_t>((rows[y][2 * i] << 8) | rows[y][2 * i + 1]) : rows[y][i];
        }
    }
    return true;
}

}  // namespace

PngImage readPng(const std::string& path)
{
    PngImage image;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return image;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png != nullptr && info != nullptr) image.ok = decode(png, info, file, image);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return image;
}
