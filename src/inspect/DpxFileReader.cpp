#include "inspect/DpxFileReader.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "inspect/DpxLayout.h"
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

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

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

uint32_t wordAt(const std::string& bytes, std::size_t offset, bool bigEndian)
{
    return Fields(bytes, bigEndian).u32(offset);
}

uint16_t datum(uint32_t word, int shift)
{
    return static_cast<uint16_t>((word >> shift) & kDatumMask);
}

// One line of data words into frame line y, as the writer packs it.
void unpackLine(const std::string& bytes, std::size_t offset, bool bigEndian, int descriptor, int y, CodeFrame& frame)
{
    if (descriptor != DPX::kCbYCrY) {
        for (int x = 0; x < frame.presentWidth; ++x) {
            const uint32_t w = wordAt(bytes, offset + static_cast<std::size_t>(x) * kBytesPerWord, bigEndian);
            frame.stored(x, y, CodeFrame::kCrOrR) = datum(w, kHighDatumBit);
            frame.stored(x, y, CodeFrame::kYOrG) = datum(w, kMiddleDatumBit);
            frame.stored(x, y, CodeFrame::kCbOrB) = datum(w, kLowDatumBit);
        }
        return;
    }
    // From the low bits up: Cb0 Y0 Cr0 | Y1 Cb2 Y2 | Cr2 Y3 Cb4 | Y4 Cr4 Y5.
    for (int g = 0; g < frame.presentWidth / kPixelsPerGroup; ++g) {
        uint32_t w[kWordsPerGroup];
        for (int i = 0; i < kWordsPerGroup; ++i) {
            w[i] = wordAt(bytes, offset + static_cast<std::size_t>(g * kWordsPerGroup + i) * kBytesPerWord, bigEndian);
        }
        const uint16_t cb[3] = {datum(w[0], kLowDatumBit), datum(w[1], kMiddleDatumBit), datum(w[2], kHighDatumBit)};
        const uint16_t cr[3] = {datum(w[0], kHighDatumBit), datum(w[2], kLowDatumBit), datum(w[3], kMiddleDatumBit)};
        const uint16_t luma[kPixelsPerGroup] = {datum(w[0], kMiddleDatumBit), datum(w[1], kLowDatumBit),
                                                datum(w[1], kHighDatumBit),   datum(w[2], kMiddleDatumBit),
                                                datum(w[3], kLowDatumBit),    datum(w[3], kHighDatumBit)};
        for (int p = 0; p < kPixelsPerGroup; ++p) {
            const int x = g * kPixelsPerGroup + p;
            frame.stored(x, y, CodeFrame::kCrOrR) = cr[p / 2];
            frame.stored(x, y, CodeFrame::kYOrG) = luma[p];
            frame.stored(x, y, CodeFrame::kCbOrB) = cb[p / 2];
        }
    }
}

}  // namespace

InspectedFile readDpxFile(const std::string& path)
{
    InspectedFile result;
    result.path = path;
    result.kind = FileKind::Dpx;
    const std::string bytes = readAll(path);
    const bool bigEndian = bytes.compare(0, 4, "SDPX") == 0;
    result.field("byte order", bigEndian ? "big-endian (\"SDPX\")" : "little-endian (\"XPDS\")");
    if (bytes.size() < kHeadersSize) {
        result.problems.push_back("the file ends inside its headers, at byte " + std::to_string(bytes.size()) + " of " +
                                  std::to_string(kHeadersSize));
        return result;
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
        return result;
    }
    if (!CodeFrame::fits(width, height)) {
        throw UnreadableFile("its " + std::to_string(width) + "x" + std::to_string(height) +
                             " pixels are more than pm5544-inspect reads");
    }

    const uint32_t dataOffsetField = f.u32(image(ImageField::kDataOffset));
    const uint64_t dataOffset =
        dataOffsetField != kUndefined && dataOffsetField != 0 ? dataOffsetField : f.u32(FileField::kImageOffset);
    const long long lineBytes = DpxLayout::lineBytes(descriptor, width);
    const uint64_t expectedSize = dataOffset + static_cast<uint64_t>(lineBytes) * height;
    result.field("image data", std::to_string(height) + " lines of " + std::to_string(lineBytes) + " bytes from byte " +
                                   std::to_string(dataOffset) + "; file " + std::to_string(bytes.size()) + " bytes");
    if (f.u32(FileField::kFileSize) != static_cast<uint32_t>(bytes.size())) {
        result.problems.push_back("the size field says " + std::to_string(f.u32(FileField::kFileSize)) +
                                  " bytes, the file has " + std::to_string(bytes.size()));
    }
    if (bytes.size() > expectedSize) {
        result.problems.push_back(std::to_string(bytes.size() - expectedSize) + " bytes follow the image data");
    }

    const bool yCbCr = descriptor != DPX::kRGB;
    result.layout = yCbCr ? ColourLayout::YCbCr : ColourLayout::Rgb;
    result.chromaPairs = descriptor == DPX::kCbYCrY;
    const uint64_t available = bytes.size() > dataOffset ? bytes.size() - dataOffset : 0;
    const uint64_t fullLines =
        static_cast<uint64_t>(lineBytes) > 0 ? available / static_cast<uint64_t>(lineBytes) : height;
    CodeFrame& frame = result.frame;
    frame = CodeFrame(static_cast<int>(width), 0, 3, kDatumBits);
    frame.height = static_cast<int>(height);
    frame.holdLines(static_cast<int>(fullLines < height ? fullLines : height));
    frame.presentWidth = DpxLayout::storedPixels(descriptor, static_cast<int>(width));
    if (frame.presentHeight < frame.height) {
        result.problems.push_back("the file ends early: " + std::to_string(frame.presentHeight) + " of " +
                                  std::to_string(height) + " lines present");
    }
    if (frame.presentWidth < frame.width) {
        result.field("not stored", "the last " + std::to_string(frame.width - frame.presentWidth) +
                                       " pixels of each line (past the last whole group of six)");
    }
    for (int y = 0; y < frame.presentHeight; ++y) {
        unpackLine(bytes, dataOffset + static_cast<uint64_t>(y) * static_cast<uint64_t>(lineBytes), bigEndian,
                   descriptor, y, frame);
    }
    if (result.chromaPairs) result.sampling = frame.apparentSampling();
    if (result.sampling == PatternGen::Sampling_420) {
        result.field("chroma", "every odd line repeats the line above: rendered 4:2:0");
    }
    // Data from the low bits of a word up; 4:2:2 shares Cb and Cr between two pixels.
    result.storedNames =
        yCbCr ? std::vector<std::string>{"Cb", "Y'", "Cr"} : std::vector<std::string>{"B'", "G'", "R'"};
    result.storedComponents = {CodeFrame::kCbOrB, CodeFrame::kYOrG, CodeFrame::kCrOrR};
    return result;
}
