#include "writers/DpxRowWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <type_traits>
#include <vector>

#include "tools/SampleLayout.h"
#include "writers/DpxHeader.h"
#include "writers/OrderedWorker.h"

namespace DPXWriter {

namespace {

using namespace DPX;  // the header layout and the packing (writers/DpxHeader.h)

constexpr std::size_t kZeroBlockSize = 512;
// Packed lines are written in bands of about this size (kBandsWaiting wait at most).
constexpr std::size_t kBandBytes = std::size_t{1} << 18;
constexpr char kVersionText[] = "V2.0";
constexpr uint32_t kNotEncrypted = kUndefined;

constexpr uint16_t kLeftToRightTopToBottom = 0;
constexpr uint16_t kOneElement = 1;
constexpr uint32_t kUnsigned = 0;
constexpr uint8_t kItu709 = 6;  // transfer and colorimetric code
constexpr double kBlackLevel8Bit = 16.0;
constexpr double kWhiteLevel8Bit = 235.0;
constexpr float kBlackQuantity = 0.0f;
constexpr float kWhiteQuantity = 1.0f;

// The full creation time; when the local zone name makes it too long for the
// field, the zone is left out.
constexpr char kCreationTimeFormat[] = "%Y:%m:%d:%T:%Z";
constexpr char kCreationTimeWithoutZone[] = "%Y:%m:%d:%T";

// A left-aligned 16-bit sample to its datum; the samples of a buffer pixel, alpha included.
constexpr int kDatumShift = SampleLayout::kSampleBits - kDatumBits;
constexpr std::size_t kSamplesPerPixel = SampleLayout::kImageSamplesPerPixel;

constexpr int kBytesPerGroup = kWordsPerGroup * static_cast<int>(kBytesPerWord);
// Formats with alpha hold four data per pixel: three pixels in four words.
constexpr int kPixelsPerAlphaGroup = 3;

// Sample positions within a Y'CbCr buffer pixel.
constexpr std::size_t kCr = 0;
constexpr std::size_t kY = 1;
constexpr std::size_t kCb = 2;

using FileHeader = std::array<unsigned char, kFileHeaderSize>;
using ImageHeader = std::array<unsigned char, kImageHeaderSize>;

template <typename Block, typename T>
void put(Block& block, std::size_t offset, T value)
{
    static_assert(std::is_trivially_copyable<T>::value, "header fields are plain numbers");
    std::memcpy(block.data() + offset, &value, sizeof value);
}

// Copies at most fieldSize - 1 characters, so the field always ends in a zero.
template <typename Block>
void putText(Block& block, std::size_t offset, std::size_t fieldSize, const std::string& text)
{
    const std::size_t length = std::min(text.size(), fieldSize - 1);
    std::memcpy(block.data() + offset, text.data(), length);
}

std::string fileNameOf(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash : path;
}

std::string creationTime()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[FileField::kCreationTimeSize] = {};
    if (local == nullptr) {
        return std::string();
    }
    if (std::strftime(text, sizeof text, kCreationTimeFormat, local) == 0 &&
        std::strftime(text, sizeof text, kCreationTimeWithoutZone, local) == 0) {
        return std::string();
    }
    return text;
}

// A reference level given on the 8-bit scale, at the file's bit depth.
uint32_t referenceCode(double level8Bit, int bitDepth)
{
    const double code = std::ldexp(level8Bit, bitDepth - 8);
    return code >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(code);
}

int bytesPerLine(DPX::eFormat format, int width)
{
    switch (format) {
    case DPX::kRGB:
    case DPX::kCbYaCrYa:
    case DPX::kCbYCr: return width * static_cast<int>(kBytesPerWord);
    case DPX::kRGBA:
    case DPX::kABGR:
    case DPX::kCbYCrA: return (width * kBytesPerGroup) / kPixelsPerAlphaGroup;
    case DPX::kCbYCrY: return (width * kBytesPerGroup) / kPixelsPerGroup;
    }
    return 0;
}

FileHeader makeFileHeader(const char* path, uint32_t fileSize, const DPX::Metadata& metadata)
{
    FileHeader header{};
    put(header, FileField::kMagic, kMagicNumber);
    put(header, FileField::kImageOffset, kImageDataOffset);
    std::memcpy(header.data() + FileField::kVersion, kVersionText, sizeof kVersionText);
    put(header, FileField::kFileSize, fileSize);
    put(header, FileField::kDittoKey, uint32_t{0});
    put(header, FileField::kGenericHeaderLength, static_cast<uint32_t>(kFileHeaderSize));
    put(header, FileField::kIndustryHeaderLength, uint32_t{0});
    put(header, FileField::kUserDataLength, uint32_t{0});
    putText(header, FileField::kFileName, FileField::kFileNameSize, fileNameOf(path));
    putText(header, FileField::kCreationTime, FileField::kCreationTimeSize, creationTime());
    putText(header, FileField::kCreator, FileField::kCreatorSize, metadata.creator);
    putText(header, FileField::kProject, FileField::kProjectSize, metadata.project);
    putText(header, FileField::kCopyright, FileField::kCopyrightSize, metadata.copyright);
    put(header, FileField::kEncryptionKey, kNotEncrypted);
    return header;
}

ImageHeader makeImageHeader(DPX::eFormat format, int width, int height, int bitDepth)
{
    ImageHeader header{};
    put(header, ImageField::kOrientation, kLeftToRightTopToBottom);
    put(header, ImageField::kElementCount, kOneElement);
    put(header, ImageField::kPixelsPerLine, static_cast<uint32_t>(width));
    put(header, ImageField::kLinesPerElement, static_cast<uint32_t>(height));
    put(header, ImageField::kDataSign, kUnsigned);
    put(header, ImageField::kReferenceLowCode, referenceCode(kBlackLevel8Bit, bitDepth));
    put(header, ImageField::kReferenceLowQuantity, kBlackQuantity);
    put(header, ImageField::kReferenceHighCode, referenceCode(kWhiteLevel8Bit, bitDepth));
    put(header, ImageField::kReferenceHighQuantity, kWhiteQuantity);
    put(header, ImageField::kDescriptor, static_cast<uint8_t>(format));
    put(header, ImageField::kTransfer, kItu709);
    put(header, ImageField::kColorimetric, kItu709);
    put(header, ImageField::kBitSize, static_cast<uint8_t>(bitDepth));
    put(header, ImageField::kPacking, kFilledToWords);
    put(header, ImageField::kEncoding, kNoRunLengthEncoding);
    put(header, ImageField::kDataOffset, kImageDataOffset);
    put(header, ImageField::kEndOfLinePadding, uint32_t{0});
    put(header, ImageField::kEndOfImagePadding, uint32_t{0});
    return header;
}

uint32_t datum(unsigned short sample)
{
    return static_cast<uint32_t>(sample >> kDatumShift);
}

uint32_t packWord(uint32_t high, uint32_t middle, uint32_t low)
{
    return (high << kHighDatumBit) | (middle << kMiddleDatumBit) | (low << kLowDatumBit);
}

// One word per pixel: its first three buffer samples from the top bits down.
void packPixels(const unsigned short* row, int width, uint32_t* words)
{
    for (int x = 0; x < width; ++x) {
        const unsigned short* pixel = row + kSamplesPerPixel * static_cast<std::size_t>(x);
        words[x] = packWord(datum(pixel[0]), datum(pixel[1]), datum(pixel[2]));
    }
}

// Four words per six pixels; read from the low bits up they give
// Cb0 Y0 Cr0 Y1 Cb2 Y2 Cr2 Y3 Cb4 Y4 Cr4 Y5. The odd pixels' chroma is
// dropped, and pixels beyond the last whole group are not stored.
void packCbYCrY(const unsigned short* row, int width, uint32_t* words)
{
    const int groups = width / kPixelsPerGroup;
    for (int g = 0; g < groups; ++g) {
        const unsigned short* p = row + kSamplesPerPixel * static_cast<std::size_t>(g * kPixelsPerGroup);
        auto sample = [p](int pixel, std::size_t component) {
            return datum(p[kSamplesPerPixel * static_cast<std::size_t>(pixel) + component]);
        };
        uint32_t* out = words + static_cast<std::size_t>(g) * kWordsPerGroup;
        out[0] = packWord(sample(0, kCr), sample(0, kY), sample(0, kCb));
        out[1] = packWord(sample(2, kY), sample(2, kCb), sample(1, kY));
        out[2] = packWord(sample(4, kCb), sample(3, kY), sample(2, kCr));
        out[3] = packWord(sample(5, kY), sample(4, kCr), sample(4, kY));
    }
}

bool writeZeros(FILE* file, std::size_t count)
{
    static const std::array<unsigned char, kZeroBlockSize> zeros{};
    bool ok = true;
    while (count >= kZeroBlockSize) {
        ok = std::fwrite(zeros.data(), 1, kZeroBlockSize, file) == kZeroBlockSize && ok;
        count -= kZeroBlockSize;
    }
    return std::fwrite(zeros.data(), 1, count, file) == count && ok;
}

}  // namespace

DpxRowWriter::DpxRowWriter(FILE* file, DPX::eFormat format, int width, int height, int bitDepth, const char* path,
                           const DPX::Metadata& metadata)
    : file_(file), format_(format), width_(width > 0 ? width : 0)
{
    lineBytes_ = static_cast<std::size_t>(std::max(bytesPerLine(format, width), 0));
    const std::size_t lines = static_cast<std::size_t>(std::max(height, 0));
    // The size field holds 32 bits; larger images wrap, as the format allows no more.
    const uint32_t fileSize = static_cast<uint32_t>(kImageDataOffset + lineBytes_ * lines);
    const FileHeader fileHeader = makeFileHeader(path, fileSize, metadata);
    const ImageHeader imageHeader = makeImageHeader(format, width, height, bitDepth);
    ok_ = std::fwrite(fileHeader.data(), 1, fileHeader.size(), file) == fileHeader.size();
    ok_ = std::fwrite(imageHeader.data(), 1, imageHeader.size(), file) == imageHeader.size() && ok_;
    ok_ = writeZeros(file, kImageDataOffset - kFileHeaderSize - kImageHeaderSize) && ok_;
    // Rounded up to whole words so that a line whose size is not a multiple
    // of four can still be written from it; bytes not packed stay zero.
    words_.assign((lineBytes_ + kBytesPerWord - 1) / kBytesPerWord, 0);
    bandBytes_ = std::max(lineBytes_, kBandBytes / std::max<std::size_t>(lineBytes_, 1) * lineBytes_);
    worker_ = std::make_unique<OrderedWorker>(kBandsWaiting);
}

DpxRowWriter::~DpxRowWriter() = default;

void DpxRowWriter::writeRow(const unsigned short* row)
{
    // A descriptor with no line size has no image data at all.
    if (lineBytes_ == 0) {
        return;
    }
    if (format_ == DPX::kRGB || format_ == DPX::kCbYCr) {
        packPixels(row, width_, words_.data());
    } else if (format_ == DPX::kCbYCrY) {
        packCbYCrY(row, width_, words_.data());
    }
    const unsigned char* packed = reinterpret_cast<const unsigned char*>(words_.data());
    band_.insert(band_.end(), packed, packed + lineBytes_);
    if (band_.size() >= bandBytes_) {
        sendBand();
    }
}

void DpxRowWriter::sendBand()
{
    std::vector<unsigned char> next = spare_.take(bandBytes_);
    std::swap(next, band_);
    worker_->post([this, band = std::move(next)]() mutable {
        if (std::fwrite(band.data(), 1, band.size(), file_) != band.size()) {
            writeFailed_ = true;
        }
        spare_.giveBack(std::move(band));
    });
}

bool DpxRowWriter::finish()
{
    if (!band_.empty()) {
        sendBand();
    }
    worker_->wait();
    return ok_ && !writeFailed_;
}

}  // namespace DPXWriter
