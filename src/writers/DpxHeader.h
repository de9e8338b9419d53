#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Where a DPX file keeps what: the header fields pm5544 writes and
// pm5544-inspect reads back, and how 10-bit data are packed into words.
namespace DPX {

constexpr std::size_t kFileHeaderSize = 768;
constexpr std::size_t kImageHeaderSize = 640;  // follows the file header
constexpr uint32_t kImageDataOffset = 8192;

// Reads "SDPX" most significant byte first; stored in host order, it tells
// readers which byte order the file uses.
constexpr uint32_t kMagicNumber = 0x53445058;
constexpr uint32_t kUndefined = 0xFFFFFFFF;  // a number field without a value
constexpr uint16_t kFilledToWords = 1;       // packing: padding in the two low bits
constexpr uint16_t kNoRunLengthEncoding = 0;

// File header fields: offset and, for texts, the size of the field.
namespace FileField {
constexpr std::size_t kMagic = 0;
constexpr std::size_t kImageOffset = 4;
constexpr std::size_t kVersion = 8;
constexpr std::size_t kVersionSize = 8;
constexpr std::size_t kFileSize = 16;
constexpr std::size_t kDittoKey = 20;
constexpr std::size_t kGenericHeaderLength = 24;
constexpr std::size_t kIndustryHeaderLength = 28;
constexpr std::size_t kUserDataLength = 32;
constexpr std::size_t kFileName = 36;
constexpr std::size_t kFileNameSize = 100;
constexpr std::size_t kCreationTime = 136;
constexpr std::size_t kCreationTimeSize = 24;
constexpr std::size_t kCreator = 160;
constexpr std::size_t kCreatorSize = 100;
constexpr std::size_t kProject = 260;
constexpr std::size_t kProjectSize = 200;
constexpr std::size_t kCopyright = 460;
constexpr std::size_t kCopyrightSize = 200;
constexpr std::size_t kEncryptionKey = 660;
}  // namespace FileField

// Image header fields, offsets from the start of the image header.
namespace ImageField {
constexpr std::size_t kOrientation = 0;
constexpr std::size_t kElementCount = 2;
constexpr std::size_t kPixelsPerLine = 4;
constexpr std::size_t kLinesPerElement = 8;
constexpr std::size_t kDataSign = 12;
constexpr std::size_t kReferenceLowCode = 16;
constexpr std::size_t kReferenceLowQuantity = 20;
constexpr std::size_t kReferenceHighCode = 24;
constexpr std::size_t kReferenceHighQuantity = 28;
constexpr std::size_t kDescriptor = 32;
constexpr std::size_t kTransfer = 33;
constexpr std::size_t kColorimetric = 34;
constexpr std::size_t kBitSize = 35;
constexpr std::size_t kPacking = 36;
constexpr std::size_t kEncoding = 38;
constexpr std::size_t kDataOffset = 40;
constexpr std::size_t kEndOfLinePadding = 44;
constexpr std::size_t kEndOfImagePadding = 48;
}  // namespace ImageField

// Packing: three 10-bit data per 32-bit word, above two bits of padding;
// 4:2:2 lines in groups of six pixels in four words.
constexpr int kDatumBits = 10;
constexpr int kHighDatumBit = 22;
constexpr int kMiddleDatumBit = 12;
constexpr int kLowDatumBit = 2;
constexpr std::size_t kBytesPerWord = 4;
constexpr int kPixelsPerGroup = 6;
constexpr int kWordsPerGroup = 4;

// Image-element descriptor codes (SMPTE 268M) the writer knows how to size.
// Only kRGB, kCbYCrY and kCbYCr are packed with samples.
enum eFormat {
    kRGB = 50,
    kRGBA = 51,
    kABGR = 52,
    kCbYCrY = 100,    // 4:2:2
    kCbYaCrYa = 101,  // 4:2:2 with alpha
    kCbYCr = 102,     // 4:4:4
    kCbYCrA = 103,    // 4:4:4 with alpha
};

// Texts stored in the file header.
struct Metadata {
    std::string creator;    // at most 99 characters are kept
    std::string project;    // at most 199
    std::string copyright;  // at most 199
};

}  // namespace DPX
