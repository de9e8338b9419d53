#include "inspect/PreviewImage.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kChannels = 3;
constexpr int kPngBitDepth = 8;

std::size_t offsetOf(int width, int x, int y)
{
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * kChannels;
}

// Everything libpng may leave by a long jump; nothing here has a destructor.
bool encode(png_structp png, png_infop info, FILE* file, const PreviewImage& image, png_bytep* rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), kPngBitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

}  // namespace

PreviewImage::PreviewImage(int width, int height, int heldLines)
    : width(width),
      height(height),
      heldLines(heldLines),
      rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(heldLines) * kChannels)
{
}

void PreviewImage::set(int x, int y, Rgb8 colour)
{
    uint8_t* p = &rgb[offsetOf(width, x, y)];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

Rgb8 PreviewImage::at(int x, int y) const
{
    if (y >= heldLines) return {};
    const uint8_t* p = &rgb[offsetOf(width, x, y)];
    return {p[0], p[1], p[2]};
}

PreviewImage PreviewImage::of(const CodeFrame& frame, const PreviewDecoder& decode)
{
    PreviewImage image(frame.width, frame.height, frame.presentHeight);
    // The card holds long runs of one colour: decode once per run.
    int last[3] = {-1, -1, -1};
    Rgb8 colour;
    for (int y = 0; y < frame.presentHeight; ++y) {
        for (int x = 0; x < frame.presentWidth; ++x) {
            const int codes[3] = {frame.code(x, y, CodeFrame::kCrOrR), frame.code(x, y, CodeFrame::kYOrG),
                                  frame.code(x, y, CodeFrame::kCbOrB)};
            if (codes[0] != last[0] || codes[1] != last[1] || codes[2] != last[2]) {
                colour = decode(codes[0], codes[1], codes[2]);
                std::memcpy(last, codes, sizeof last);
            }
            image.set(x, y, colour);
        }
    }
    return image;
}

bool PreviewImage::writePng(const std::string& path, std::string& error) const
{
    if (width <= 0 || height <= 0) {
        error = "there is no picture to write";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::string("cannot create it: ") + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> black(static_cast<std::size_t>(width) * kChannels, 0);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height), black.data());
    for (int y = 0; y < heldLines; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(&rgb[offsetOf(width, 0, y)]);
    const bool written = info != nullptr && encode(png, info, file, *this, rows.data());
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "libpng could not write it";
        return false;
    }
    return true;
}
