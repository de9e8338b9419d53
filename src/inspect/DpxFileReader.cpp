#include "inspect/DpxFileReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "inspect/DpxLayout.h"
#include "inspect/InputBytes.h"
#include "inspect/UnreadableFile.h"
#include "writers/DpxHeader.h"
#include "writers/writeDPX.h"

namespace {

using namespace DPX;  // the header layout and the packing (writers/DpxHeader.h)

constexpr std::size_t kHeadersSize = kFileHeaderSize + kImageHeaderSize;
constexpr int kDatumMask = (1 << kDatumBits) - 1;

// A field of the image header, from the start of the file.
constexpr std::size_t image(std::size_t field)
{
    return kFileHeaderSize + field;
}

// Header fields in the file's byte order; both were written by the same host.
class Fields {
public:
    Fields(const std::string& bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

    uint32_t number(std::size_t offset, std::size_t size) const
    {
        uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const uint32_t byte = static_cast<unsigned char>(bytes_[offset + (bigEndian_ ? i : size - 1 - i)]);
            value = (value << 8) | byte;
        }
        return value;
    }
    uint32_t u32(std::size_t offset) const { return number(offset, 4); }
    uint16_t u16(std::size_t offset) const { return static_cast<uint16_t>(number(offset, 2)); }
    uint8_t u8(std::size_t offset) const { return static_cast<uint8_t>(bytes_[offset]); }
    float f32(std::size_t offset) const
    {
        const uint32_t raw = u32(offset);
        float value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }
    // A text field up to its first zero byte, at most `size` bytes.
    std::string text(std::size_t offset, std::size_t size) const
    {
        const std::string field = bytes_.substr(offset, size);
        return field.substr(0, field.find('\0'));
    }

private:
    const std::string& bytes_;
    bool bigEndian_;
};

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string numberOrUndefined(uint32_t value)
{
    return value == kUndefined ? "undefined" : std::to_string(value);
}

void describeFileHeader(const Fields& f, InspectedFile& result)
{
    result.field("version", quoted(f.text(FileField::kVersion, FileField::kVersionSize)));
    result.field("image offset", std::to_string(f.u32(FileField::kImageOffset)));
    result.field("file size field", std::to_string(f.u32(FileField::kFileSize)));
    result.field("header lengths", "generic " + std::to_string(f.u32(FileField::kGenericHeaderLength)) + ", industry " +
                                       std::to_string(f.u32(FileField::kIndustryHeaderLength)) + ", user data " +
                                       std::to_string(f.u32(FileField::kUserDataLength)));
    result.field("file name", quoted(f.text(FileField::kFileName, FileField::kFileNameSize)));
    result.field("creation time", quoted(f.text(FileField::kCreationTime, FileField::kCreationTimeSize)));
    result.field("creator", quoted(f.text(FileField::kCreator, FileField::kCreatorSize)));
    result.field("project", quoted(f.text(FileField::kProject, FileField::kProjectSize)));
    result.field("copyright", quoted(f.text(FileField::kCopyright, FileField::kCopyrightSize)));
    result.field("encryption key", numberOrUndefined(f.u32(FileField::kEncryptionKey)));
}

void describeImageHeader(const Fields& f, InspectedFile& result)
{
    result.field("orientation", std::to_string(f.u16(image(ImageField::kOrientation))));
    result.field("image elements", std::to_string(f.u16(image(ImageField::kElementCount))));
    result.field("size", std::to_string(f.u32(image(ImageField::kPixelsPerLine))) + "x" +
                             std::to_string(f.u32(image(ImageField::kLinesPerElement))));
    result.field("data sign", std::to_string(f.u32(image(ImageField::kDataSign))));
    std::ostringstream reference;
    reference << "low " << f.u32(image(ImageField::kReferenceLowCode)) << " ("
              << f.f32(image(ImageField::kReferenceLowQuantity)) << "), high "
              << f.u32(image(ImageField::kReferenceHighCode)) << " ("
              << f.f32(image(ImageField::kReferenceHighQuantity)) << ")";
    result.field("reference codes", reference.str());
    const int descriptor = f.u8(image(ImageField::kDescriptor));
    result.field("descriptor", std::to_string(descriptor) + " (" + DpxLayout::descriptorName(descriptor) + ")");
    result.field("transfer, colorimetric", std::to_string(f.u8(image(ImageField::kTransfer))) + ", " +
                                               std::to_string(f.u8(image(ImageField::kColorimetric))));
    result.field("bit size", std::to_string(f.u8(image(ImageField::kBitSize))));
    result.field("packing, encoding", std::to_string(f.u16(image(ImageField::kPacking))) + ", " +
                                          std::to_string(f.u16(image(ImageField::kEncoding))));
    result.field("data offset", numberOrUndefined(f.u32(image(ImageField::kDataOffset))));
    result.field("padding", "end of line " + std::to_string(f.u32(image(ImageField::kEndOfLinePadding))) +
                                ", end of image " + std::to_string(f.u32(image(ImageField::kEndOfImagePadding))));
}

uint16_t datum(uint32_t word, int shift)
{
    return static_cast<uint16_t>((word >> shift) & kDatumMask);
}

// The data of one line at a time, unpacked as the writer packs it: from the
// low bits of each word up, 4:2:2 groups carry Cb0 Y0 Cr0 | Y1 Cb2 Y2 |
// Cr2 Y3 Cb4 | Y4 Cr4 Y5.
class DpxRows : public FileRows {
public:
    DpxRows(const InputBytes& input, const FrameShape& shape, bool bigEndian, int descriptor, uint64_t dataOffset,
            uint64_t lineBytes, int fullLines)
        : input_(input),
          bigEndian_(bigEndian),
          descriptor_(descriptor),
          dataOffset_(dataOffset),
          fullLines_(fullLines),
          bytes_(static_cast<std::size_t>(lineBytes), '\0')
    {
        shape_ = shape;
    }

    void restart() override
    {
        y_ = 0;
        problems_.clear();
    }

    bool next(uint16_t* row) override
    {
        if (y_ >= fullLines_) return false;
        const uint64_t at = dataOffset_ + static_cast<uint64_t>(y_) * bytes_.size();
        if (input_.read(at, bytes_.data(), bytes_.size()) != bytes_.size()) return false;
        ++y_;
        const Fields words(bytes_, bigEndian_);
        const auto word = [&words](int i) { return words.u32(static_cast<std::size_t>(i) * kBytesPerWord); };
        const auto put = [row](int x, uint16_t cr, uint16_t luma, uint16_t cb) {
            uint16_t* p = row + static_cast<std::size_t>(x) * 3;
            p[FrameShape::kCrOrR] = cr;
            p[FrameShape::kYOrG] = luma;
            p[FrameShape::kCbOrB] = cb;
        };
        if (descriptor_ != DPX::kCbYCrY) {
            for (int x = 0; x < shape_.presentWidth; ++x) {
                const uint32_t w = word(x);
                put(x, datum(w, kHighDatumBit), datum(w, kMiddleDatumBit), datum(w, kLowDatumBit));
            }
            return true;
        }
        for (int g = 0; g < shape_.presentWidth / kPixelsPerGroup; ++g) {
            uint32_t w[kWordsPerGroup];
            for (int i = 0; i < kWordsPerGroup; ++i) w[i] = word(g * kWordsPerGroup + i);
            const uint16_t cb[3] = {datum(w[0], kLowDatumBit), datum(w[1], kMiddleDatumBit),
                                    datum(w[2], kHighDatumBit)};
            const uint16_t cr[3] = {datum(w[0], kHighDatumBit), datum(w[2], kLowDatumBit),
                                    datum(w[3], kMiddleDatumBit)};
            const uint16_t luma[kPixelsPerGroup] = {datum(w[0], kMiddleDatumBit), datum(w[1], kLowDatumBit),
                                                    datum(w[1], kHighDatumBit),   datum(w[2], kMiddleDatumBit),
                                                    datum(w[3], kLowDatumBit),    datum(w[3], kHighDatumBit)};
            for (int p = 0; p < kPixelsPerGroup; ++p) put(g * kPixelsPerGroup + p, cr[p / 2], luma[p], cb[p / 2]);
        }
        return true;
    }

private:
    const InputBytes& input_;
    bool bigEndian_;
    int descriptor_;
    uint64_t dataOffset_;
    int fullLines_;
    std::string bytes_;
    int y_ = 0;
};

}  // namespace

std::unique_ptr<FileRows> openDpxFile(const InputBytes& input, InspectedFile& result)
{
    std::string bytes(kHeadersSize, '\0');
    bytes.resize(input.read(0, &bytes[0], bytes.size()));
    const uint64_t fileSize = input.size();
    const bool bigEndian = bytes.compare(0, 4, "SDPX") == 0;
    result.field("byte order", bigEndian ? "big-endian (\"SDPX\")" : "little-endian (\"XPDS\")");
    if (bytes.size() < kHeadersSize) {
        result.problems.push_back("the file ends inside its headers, at byte " + std::to_string(bytes.size()) + " of " +
                                  std::to_string(kHeadersSize));
        return nullptr;
    }
    const Fields f(bytes, bigEndian);
    describeFileHeader(f, result);
    describeImageHeader(f, result);

    const int descriptor = f.u8(image(ImageField::kDescriptor));
    result.dpxDescriptor = descriptor;
    if (!DpxLayout::isReadable(descriptor)) {
        throw UnreadableFile("descriptor " + std::to_string(descriptor) + " is not one pm5544 writes (50, 100, 102)");
    }
    if (f.u8(image(ImageField::kBitSize)) != kDatumBits || f.u16(image(ImageField::kPacking)) != kFilledToWords ||
        f.u16(image(ImageField::kEncoding)) != kNoRunLengthEncoding) {
        throw UnreadableFile("its data are not 10-bit, filled into 32-bit words and unencoded");
    }
    const uint32_t width = f.u32(image(ImageField::kPixelsPerLine));
    const uint32_t height = f.u32(image(ImageField::kLinesPerElement));
    if (width == 0 || height == 0) {
        result.problems.push_back("the image has no pixels");
        return nullptr;
    }

    const uint32_t dataOffsetField = f.u32(image(ImageField::kDataOffset));
    const uint64_t dataOffset =
        dataOffsetField != kUndefined && dataOffsetField != 0 ? dataOffsetField : f.u32(FileField::kImageOffset);
    const uint64_t lineBytes = static_cast<uint64_t>(DpxLayout::lineBytes(descriptor, width));
    const uint64_t expectedSize = dataOffset + lineBytes * height;
    result.field("image data", std::to_string(height) + " lines of " + std::to_string(lineBytes) + " bytes from byte " +
                                   std::to_string(dataOffset) + "; file " + std::to_string(fileSize) + " bytes");
    if (f.u32(FileField::kFileSize) != fileSize) {
        result.problems.push_back("the size field says " + std::to_string(f.u32(FileField::kFileSize)) +
                                  " bytes, the file has " + std::to_string(fileSize));
    }
    if (fileSize > expectedSize) {
        result.problems.push_back(std::to_string(fileSize - expectedSize) + " bytes follow the image data");
    }

    const bool yCbCr = descriptor != DPX::kRGB;
    result.layout = yCbCr ? ColourLayout::YCbCr : ColourLayout::Rgb;
    result.chromaPairs = descriptor == DPX::kCbYCrY;
    // Data from the low bits of a word up; 4:2:2 shares Cb and Cr between two pixels.
    result.storedNames =
        yCbCr ? std::vector<std::string>{"Cb", "Y'", "Cr"} : std::vector<std::string>{"B'", "G'", "R'"};
    result.storedComponents = {FrameShape::kCbOrB, FrameShape::kYOrG, FrameShape::kCrOrR};
    // Only lines the file holds whole are read: a claimed size costs nothing.
    const uint64_t available = fileSize > dataOffset ? fileSize - dataOffset : 0;
    const uint64_t fullLines = lineBytes > 0 ? std::min<uint64_t>(available / lineBytes, height) : 0;
    if (fullLines < height) {
        result.problems.push_back("the file ends early: " + std::to_string(fullLines) + " of " +
                                  std::to_string(height) + " lines present");
    }
    FrameShape shape;
    shape.width = static_cast<int>(std::min<uint32_t>(width, INT32_MAX));
    shape.height = static_cast<int>(std::min<uint32_t>(height, INT32_MAX));
    shape.components = 3;
    shape.storedBits = kDatumBits;
    shape.codeBits = kDatumBits;
    shape.presentWidth = DpxLayout::storedPixels(descriptor, shape.width);
    if (shape.presentWidth < shape.width) {
        result.field("not stored", "the last " + std::to_string(shape.width - shape.presentWidth) +
                                       " pixels of each line (past the last whole group of six)");
    }
    if (fullLines == 0 || width > INT32_MAX) return nullptr;
    return std::make_unique<DpxRows>(input, shape, bigEndian, descriptor, dataOffset, lineBytes,
                                     static_cast<int>(fullLines));
}
