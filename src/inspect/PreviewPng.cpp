#include "inspect/PreviewPng.h"

#include <png.h>

#include <vector>

#include "writers/OutputFile.h"

namespace {

constexpr int kPngBitDepth = 8;
constexpr int kChannels = 3;
constexpr int kFastestCompression = 1;

// The steps libpng may leave by a long jump; they hold no objects with destructors.
bool writeHeader(png_structp png, png_infop info, FILE* file, int width, int height)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), kPngBitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // A preview is to be looked at, not kept: the fastest compression keeps a
    // tall picture from taking long.
    png_set_compression_level(png, kFastestCompression);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    return true;
}

bool writeOneRow(png_structp png, const uint8_t* rgb)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_row(png, rgb);
    return true;
}

bool writeEnd(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_end(png, info);
    return true;
}

}  // namespace

struct PreviewPng::Png {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Png() { png_destroy_write_struct(&png, &info); }
};

PreviewPng::PreviewPng(const std::string& path, int width, int height)
    : out_(std::make_unique<OutputFile>(path)), png_(std::make_unique<Png>()), width_(width), height_(height)
{
    if (width <= 0 || height <= 0) {
        failed_ = true;
        error_ = "there is no picture to write";
        return;
    }
    if (!out_->open()) {
        failed_ = true;
        error_ = "cannot create it: " + out_->error();
        return;
    }
    png_->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_->info = png_->png != nullptr ? png_create_info_struct(png_->png) : nullptr;
    if (png_->info == nullptr || !writeHeader(png_->png, png_->info, out_->stream(), width, height)) {
        failed_ = true;
        error_ = "libpng could not write it";
    }
}

PreviewPng::~PreviewPng() = default;

void PreviewPng::writeRow(const uint8_t* rgb)
{
    if (failed_ || rows_ >= height_) return;
    if (!writeOneRow(png_->png, rgb)) {
        failed_ = true;
        error_ = "libpng could not write it";
    }
    ++rows_;
}

bool PreviewPng::finish(std::string& error)
{
    if (!failed_ && rows_ < height_) {
        const std::vector<uint8_t> black(static_cast<std::size_t>(width_) * kChannels, 0);
        while (!failed_ && rows_ < height_) writeRow(black.data());
    }
    if (!failed_ && !writeEnd(png_->png, png_->info)) {
        failed_ = true;
        error_ = "libpng could not write it";
    }
    if (!failed_ && (out_->failed() || !out_->commit())) {
        failed_ = true;
        error_ = out_->error().empty() ? "it could not be written" : out_->error();
    }
    error = error_;
    return !failed_;
}
