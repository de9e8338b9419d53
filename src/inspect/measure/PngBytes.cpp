#include "inspect/measure/PngBytes.h"

#include <png.h>

#include <vector>

namespace {

constexpr int kPngBitDepth = 8;

void append(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void flush(png_structp) {}

// Everything libpng may leave by a long jump; nothing here has a destructor.
bool encode(png_structp png, png_infop info, std::string* out, const RgbPicture& picture, png_bytep* rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, append, flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 kPngBitDepth, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

}  // namespace

std::string pngBytes(const RgbPicture& picture)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(picture.row(y));
    const bool ok = info != nullptr && encode(png, info, &out, picture, rows.data());
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return ok ? out : std::string();
}
