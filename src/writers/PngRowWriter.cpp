#include "writers/PngRowWriter.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "tools/SampleLayout.h"
#include "writers/DeflateBands.h"

namespace {

constexpr int kPngBitDepth = 16;
constexpr std::size_t kSamplesPerPixel = SampleLayout::kImageSamplesPerPixel;  // red, green, blue, alpha
constexpr std::size_t kBytesPerSample = 2;

// Chosen by measurement on the card (see README): the Up filter turns the
// card's many repeated lines into zeros.
constexpr uint8_t kUpFilter = 2;

// Bands of about this many bytes are compressed independently.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;

// The file writes of libpng go through here, so that a refused write is
// remembered instead of ending the program.
struct WriteTarget {
    FILE* file;
    bool failed;
};

void writeData(png_structp png, png_bytep data, size_t length)
{
    auto* target = static_cast<WriteTarget*>(png_get_io_ptr(png));
    if (!target->failed && std::fwrite(data, 1, length, target->file) != length) {
        target->failed = true;
    }
}

void flushData(png_structp png)
{
    auto* target = static_cast<WriteTarget*>(png_get_io_ptr(png));
    if (!target->failed && std::fflush(target->file) != 0) {
        target->failed = true;
    }
}

// libpng reports its errors by a long jump back here; nothing with a
// destructor lives in these functions.
bool writeHeader(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height)
{
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, width, height, kPngBitDepth, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool writeChunkData(png_structp png, const char* type, const uint8_t* data, std::size_t length)
{
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_write_chunk(png, reinterpret_cast<png_const_bytep>(type), data, length);
    return true;
}

// Sixteen bytes at a time, as the vector unit holds them (GCC's and clang's
// vector types; a target without one gets scalar code from the compiler).
using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Samples8 = uint16_t __attribute__((vector_size(16)));

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the Up filter below reads samples as little-endian words"
#endif

// The Up filter of one row, stored high byte first: each byte less the one
// above it, that is the high byte of the difference of the high bytes and the
// low byte of the difference of the samples. `above` becomes the row. Eight
// samples at a time: a bytewise subtraction of the native (low byte first)
// samples, then each sample's two bytes exchanged.
void upFilter(const uint16_t* samples, uint16_t* above, std::size_t count, uint8_t* out)
{
    constexpr std::size_t kSamplesPerVector = sizeof(Samples8) / sizeof(uint16_t);
    std::size_t i = 0;
    for (; i + kSamplesPerVector <= count; i += kSamplesPerVector) {
        Bytes16 now;
        Bytes16 before;
        std::memcpy(&now, samples + i, sizeof now);
        std::memcpy(&before, above + i, sizeof before);
        const Samples8 difference = reinterpret_cast<Samples8>(now - before);
        const Samples8 filtered = (difference << 8) | (difference >> 8);
        std::memcpy(out + kBytesPerSample * i, &filtered, sizeof filtered);
        std::memcpy(above + i, &now, sizeof now);
    }
    for (; i < count; ++i) {
        const uint16_t v = samples[i];
        const uint16_t a = above[i];
        out[2 * i] = static_cast<uint8_t>((v >> 8) - (a >> 8));
        out[2 * i + 1] = static_cast<uint8_t>(v - a);
        above[i] = v;
    }
}

}  // namespace

struct PngRowWriter::Png {
    png_structp png = nullptr;
    png_infop info = nullptr;
    WriteTarget target{nullptr, false};
    ~Png() { png_destroy_write_struct(&png, &info); }
};

PngRowWriter::PngRowWriter(FILE* file, int width, int height)
    : file_(file),
      width_(width),
      height_(height),
      rowBytes_(static_cast<std::size_t>(width > 0 ? width : 0) * kSamplesPerPixel * kBytesPerSample),
      bandRows_(static_cast<int>(std::max<std::size_t>(1, kBandBytes / (rowBytes_ + 1)))),
      png_(std::make_unique<Png>())
{
    png_->target.file = file;
    png_->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_->info = png_->png != nullptr ? png_create_info_struct(png_->png) : nullptr;
    if (png_->info == nullptr) {
        failed_ = true;
        return;
    }
    png_set_write_fn(png_->png, &png_->target, writeData, flushData);
    if (width <= 0 || height <= 0 ||
        !writeHeader(png_->png, png_->info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height))) {
        failed_ = true;
        return;
    }
    previous_.assign(rowBytes_ / kBytesPerSample, 0);  // the Up filter predicts the first row from zeros
    // A picture shorter than one band needs no more than its own rows.
    bandCapacity_ = static_cast<std::size_t>(std::min(bandRows_, height)) * (rowBytes_ + 1);
    const int bands = (height + bandRows_ - 1) / bandRows_;
    // One band is compressed on this thread: a worker would only wait for it.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned workers = bands > 1 ? std::min(cores, static_cast<unsigned>(bands)) : 0;
    deflate_ = std::make_unique<DeflateBands>(workers);
}

PngRowWriter::~PngRowWriter() = default;

void PngRowWriter::writeRow(const uint16_t* samples)
{
    if (failed_ || rowsWritten_ >= height_) {
        failed_ = true;
        return;
    }
    if (band_ == nullptr) {
        band_ = deflate_->buffer(bandCapacity_);
        bandLength_ = 0;
    }
    uint8_t* out = band_.get() + bandLength_;
    bandLength_ += 1 + rowBytes_;
    out[0] = kUpFilter;
    upFilter(samples, previous_.data(), rowBytes_ / kBytesPerSample, out + 1);
    ++rowsWritten_;
    const bool last = rowsWritten_ == height_;
    if (last || rowsWritten_ % bandRows_ == 0) {
        flushBand(last);
    }
}

void PngRowWriter::flushBand(bool last)
{
    deflate_->add(std::move(band_), bandLength_, last,
                  [this](const std::vector<uint8_t>& compressed) { writeCompressed(compressed); });
    bandLength_ = 0;
}

bool PngRowWriter::writeChunk(const char* type, const uint8_t* data, std::size_t length)
{
    if (!writeChunkData(png_->png, type, data, length) || png_->target.failed) {
        failed_ = true;
    }
    return !failed_;
}

void PngRowWriter::writeCompressed(const std::vector<uint8_t>& compressed)
{
    if (failed_) return;
    if (firstChunk_) {
        // The zlib header opens the first chunk.
        std::vector<uint8_t> first = deflate_->header();
        first.insert(first.end(), compressed.begin(), compressed.end());
        firstChunk_ = false;
        writeChunk("IDAT", first.data(), first.size());
    } else {
        writeChunk("IDAT", compressed.data(), compressed.size());
    }
}

bool PngRowWriter::finish()
{
    if (!failed_ && rowsWritten_ != height_) {
        failed_ = true;
    }
    if (deflate_ != nullptr) {
        deflate_->finish([this](const std::vector<uint8_t>& compressed) { writeCompressed(compressed); });
        if (!deflate_->ok()) {
            failed_ = true;
        }
    }
    if (!failed_) {
        // The stream's checksum closes it, in a chunk of its own.
        const std::vector<uint8_t> trailer = deflate_->trailer();
        writeChunk("IDAT", trailer.data(), trailer.size());
        writeChunk("IEND", nullptr, 0);
    }
    deflate_.reset();
    return !failed_;
}
