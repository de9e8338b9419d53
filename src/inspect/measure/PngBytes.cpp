#include "inspect/measure/PngBytes.h"

#include <png.h>

#include <vector>

namespace {

constexpr int kChannels = 3;
constexpr int kPngBitDepth = 8;

void append(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void flush(png_structp) {}

// Everything libpng may leave by a long jump; nothing here has a destructor.
bool encode(png_structp png, png_infop info, std::string* out, const PreviewImage& image, png_bytep* rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, append, flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), kPngBitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

}  // namespace

std::string pngBytes(const PreviewImage& image)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> black(static_cast<std::size_t>(image.width) * kChannels, 0);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height), black.data());
    for (int y = 0; y < image.heldLines; ++y) {
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(
            &image.rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) * kChannels]);
    }
    const bool ok = info != nullptr && encode(png, info, &out, image, rows.data());
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return ok ? out : std::string();
}
