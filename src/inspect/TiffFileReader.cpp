#include "inspect/TiffFileReader.h"

#include <tiffio.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "inspect/UnreadableFile.h"
#include "writers/LineRepeatTag.h"

namespace {

constexpr int kComponents = 3;
constexpr int kStoredBits = 16;
constexpr std::size_t kMessageSize = 512;
constexpr std::size_t kClassicHeaderSize = 8;
constexpr std::size_t kBigHeaderSize = 16;
constexpr uint16_t kClassicVersion = 42;
constexpr uint16_t kBigVersion = 43;
// After the two bytes of byte order: the version, then the first directory's offset.
constexpr std::size_t kVersionAt = 2;
constexpr std::size_t kVersionSize = 2;
constexpr std::size_t kClassicDirectoryAt = 4;
constexpr std::size_t kClassicOffsetSize = 4;
constexpr std::size_t kBigDirectoryAt = 8;
constexpr std::size_t kBigOffsetSize = 8;
// Repeat lists longer than this are shown by their first pairs only.
constexpr std::size_t kRepeatPairsShown = 8;

// libtiff reports through process-wide handlers: while a file is read they
// collect its errors and warnings.
std::vector<std::string>* gErrors = nullptr;
std::vector<std::string>* gWarnings = nullptr;

void collect(std::vector<std::string>* into, const char* module, const char* format, va_list args)
{
    if (into == nullptr) return;
    char text[kMessageSize];
    std::vsnprintf(text, sizeof text, format, args);
    into->push_back(module != nullptr ? std::string(module) + ": " + text : std::string(text));
}

void collectError(const char* module, const char* format, va_list args)
{
    collect(gErrors, module, format, args);
}

void collectWarning(const char* module, const char* format, va_list args)
{
    collect(gWarnings, module, format, args);
}

class CollectedMessages {
public:
    CollectedMessages(std::vector<std::string>& errors, std::vector<std::string>& warnings)
        : errors_(TIFFSetErrorHandler(collectError)), warnings_(TIFFSetWarningHandler(collectWarning))
    {
        gErrors = &errors;
        gWarnings = &warnings;
    }
    CollectedMessages(const CollectedMessages&) = delete;
    CollectedMessages& operator=(const CollectedMessages&) = delete;
    ~CollectedMessages()
    {
        gErrors = nullptr;
        gWarnings = nullptr;
        TIFFSetErrorHandler(errors_);
        TIFFSetWarningHandler(warnings_);
    }

private:
    TIFFErrorHandler errors_;
    TIFFErrorHandler warnings_;
};

class TiffHandle {
public:
    explicit TiffHandle(TIFF* tif) : tif(tif) {}
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;
    ~TiffHandle()
    {
        if (tif != nullptr) TIFFClose(tif);
    }
    TIFF* tif;
};

std::string readPrefix(const std::string& path, std::size_t size, std::uintmax_t& fileSize)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    fileSize = in ? static_cast<std::uintmax_t>(in.tellg()) : 0;
    in.seekg(0);
    std::string bytes(size, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

uint64_t headerNumber(const std::string& bytes, std::size_t offset, std::size_t size, bool bigEndian)
{
    uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const uint64_t byte = static_cast<unsigned char>(bytes[offset + (bigEndian ? i : size - 1 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

// The first directory must lie inside the file: libtiff writes it after the
// image data, so a file cut short loses it first.
void checkFirstDirectory(const std::string& path, InspectedFile& result)
{
    std::uintmax_t fileSize = 0;
    const std::string head = readPrefix(path, kBigHeaderSize, fileSize);
    const bool bigEndian = head.compare(0, 2, "MM") == 0;
    if (head.size() < kClassicHeaderSize) {
        result.problems.push_back("the file ends inside its header");
        return;
    }
    const uint64_t version = headerNumber(head, kVersionAt, kVersionSize, bigEndian);
    uint64_t directory = 0;
    if (version == kClassicVersion) {
        directory = headerNumber(head, kClassicDirectoryAt, kClassicOffsetSize, bigEndian);
    } else if (version == kBigVersion && head.size() == kBigHeaderSize) {
        directory = headerNumber(head, kBigDirectoryAt, kBigOffsetSize, bigEndian);
    } else {
        throw UnreadableFile("its TIFF header has version " + std::to_string(version));
    }
    if (directory >= fileSize) {
        result.problems.push_back("its first directory lies at byte " + std::to_string(directory) + ", past the end (" +
                                  std::to_string(fileSize) + " bytes): the file is cut short");
    }
}

template <typename T>
T tagOr(TIFF* tif, ttag_t tag, T fallback)
{
    T value = fallback;
    return TIFFGetField(tif, tag, &value) == 1 ? value : fallback;
}

std::string photometricName(uint16_t photometric)
{
    switch (photometric) {
    case PHOTOMETRIC_RGB: return "2 (RGB)";
    case PHOTOMETRIC_YCBCR: return "6 (YCbCr)";
    }
    return std::to_string(photometric);
}

std::string compressionName(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE: return "1 (none)";
    case COMPRESSION_LZW: return "5 (LZW)";
    }
    return std::to_string(compression);
}

// The line-repeat list: pairs (stored row, canvas line), every row once.
void readLineRepeats(TIFF* tif, int rows, InspectedFile& result)
{
    const char* text = nullptr;
    if (TIFFGetField(tif, TiffWriter::kLineRepeatTag, &text) != 1 || text == nullptr) {
        result.field("line repeats", "none (tag 65456 absent: every row is its own canvas line)");
        return;
    }
    const nlohmann::json list = nlohmann::json::parse(text, nullptr, false);
    std::vector<std::pair<long long, long long>> pairs;
    bool wellFormed = list.is_array();
    if (wellFormed) {
        for (const nlohmann::json& pair : list) {
            if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number_integer() || !pair[1].is_number_integer()) {
                wellFormed = false;
                break;
            }
            pairs.emplace_back(pair[0].get<long long>(), pair[1].get<long long>());
        }
    }
    if (!wellFormed) {
        result.problems.push_back("tag 65456 is not a list of [row, line] pairs: " + std::string(text).substr(0, 80));
        return;
    }
    std::string shown;
    for (std::size_t i = 0; i < pairs.size() && i < kRepeatPairsShown; ++i) {
        shown += (i > 0 ? "," : "") + std::string("[") + std::to_string(pairs[i].first) + "," +
                 std::to_string(pairs[i].second) + "]";
    }
    if (pairs.size() > kRepeatPairsShown) shown += ",...";
    result.field("line repeats", std::to_string(pairs.size()) + " pairs [row, line]: " + shown);

    std::vector<bool> seen(static_cast<std::size_t>(rows), false);
    for (const auto& pair : pairs) {
        if (pair.first < 0 || pair.first >= rows || seen[static_cast<std::size_t>(pair.first)]) {
            result.problems.push_back("line repeats: row " + std::to_string(pair.first) +
                                      " is outside the image or named twice");
            return;
        }
        seen[static_cast<std::size_t>(pair.first)] = true;
    }
    if (pairs.size() != static_cast<std::size_t>(rows)) {
        result.problems.push_back("line repeats name " + std::to_string(pairs.size()) + " rows, the image has " +
                                  std::to_string(rows));
    }
}

void readStrips(TIFF* tif, InspectedFile& result)
{
    CodeFrame& frame = result.frame;
    const tmsize_t rowBytes =
        static_cast<tmsize_t>(frame.width) * kComponents * static_cast<tmsize_t>(sizeof(uint16_t));
    const uint32_t rowsPerStrip =
        std::min<uint32_t>(tagOr<uint32_t>(tif, TIFFTAG_ROWSPERSTRIP, UINT32_MAX), static_cast<uint32_t>(frame.height));
    const uint32_t strips = TIFFNumberOfStrips(tif);
    result.field("strips", std::to_string(strips) + " of " + std::to_string(rowsPerStrip) + " rows");
    int rowsRead = 0;
    for (uint32_t strip = 0; strip < strips && rowsRead < frame.height; ++strip) {
        const int rows = std::min<int>(static_cast<int>(rowsPerStrip), frame.height - rowsRead);
        const tmsize_t wanted = rowBytes * rows;
        frame.holdLines(rowsRead + rows);  // room for the strip, only once it is there to read
        const tmsize_t got = TIFFReadEncodedStrip(tif, strip, &frame.stored(0, rowsRead, 0), wanted);
        if (got != wanted) {
            result.problems.push_back("strip " + std::to_string(strip) + " does not decode to its " +
                                      std::to_string(rows) + " rows");
            break;
        }
        rowsRead += rows;
    }
    if (rowsRead < frame.height && result.problems.empty()) {
        result.problems.push_back("the strips hold " + std::to_string(rowsRead) + " of " +
                                  std::to_string(frame.height) + " rows");
    }
    frame.holdLines(rowsRead);
}

}  // namespace

std::array<int, 3> tiffStoredComponents(bool yCbCr)
{
    if (yCbCr) return {CodeFrame::kYOrG, CodeFrame::kCbOrB, CodeFrame::kCrOrR};
    return {CodeFrame::kCrOrR, CodeFrame::kYOrG, CodeFrame::kCbOrB};
}

InspectedFile readTiffFile(const std::string& path)
{
    InspectedFile result;
    result.path = path;
    result.kind = FileKind::Tiff;
    checkFirstDirectory(path, result);
    if (result.damaged()) return result;

    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    TiffWriter::augment_libtiff_with_custom_tags();
    CollectedMessages collecting(errors, warnings);
    TiffHandle handle(TIFFOpen(path.c_str(), "r"));
    TIFF* tif = handle.tif;
    if (tif == nullptr) {
        throw UnreadableFile("libtiff cannot open it" + (errors.empty() ? std::string() : ": " + errors.front()));
    }

    const uint32_t width = tagOr<uint32_t>(tif, TIFFTAG_IMAGEWIDTH, 0);
    const uint32_t length = tagOr<uint32_t>(tif, TIFFTAG_IMAGELENGTH, 0);
    const uint16_t bits = tagOr<uint16_t>(tif, TIFFTAG_BITSPERSAMPLE, 1);
    const uint16_t perPixel = tagOr<uint16_t>(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    const uint16_t photometric = tagOr<uint16_t>(tif, TIFFTAG_PHOTOMETRIC, 0);
    const uint16_t planar = tagOr<uint16_t>(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const uint16_t compression = tagOr<uint16_t>(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    uint16_t subsampleH = 1;
    uint16_t subsampleV = 1;
    if (photometric == PHOTOMETRIC_YCBCR) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &subsampleH, &subsampleV);
    }

    result.field("size", std::to_string(width) + "x" + std::to_string(length));
    result.field("samples", std::to_string(perPixel) + " x " + std::to_string(bits) + "-bit per pixel, planar " +
                                std::to_string(planar) + (planar == PLANARCONFIG_CONTIG ? " (contiguous)" : ""));
    result.field("compression", compressionName(compression));
    result.field("photometric", photometricName(photometric));
    if (photometric == PHOTOMETRIC_YCBCR) {
        result.field("YCbCr subsampling", std::to_string(subsampleH) + "," + std::to_string(subsampleV));
    }

    if (bits != kStoredBits || perPixel != kComponents || planar != PLANARCONFIG_CONTIG || TIFFIsTiled(tif)) {
        throw UnreadableFile("its samples are not three contiguous 16-bit samples per pixel in strips");
    }
    if (photometric != PHOTOMETRIC_RGB && photometric != PHOTOMETRIC_YCBCR) {
        throw UnreadableFile("photometric " + std::to_string(photometric) + " is neither RGB nor YCbCr");
    }
    if (subsampleH != 1 || subsampleV != 1) {
        throw UnreadableFile("its chroma is subsampled; pm5544 writes every sample");
    }
    if (width == 0 || length == 0) {
        result.problems.push_back("the image has no pixels");
        return result;
    }
    if (!CodeFrame::fits(width, length)) {
        throw UnreadableFile("its " + std::to_string(width) + "x" + std::to_string(length) +
                             " pixels are more than pm5544-inspect reads");
    }

    const bool yCbCr = photometric == PHOTOMETRIC_YCBCR;
    result.layout = yCbCr ? ColourLayout::YCbCr : ColourLayout::Rgb;
    result.frame = CodeFrame(static_cast<int>(width), 0, kComponents, kStoredBits);
    result.frame.height = static_cast<int>(length);
    readStrips(tif, result);
    readLineRepeats(tif, static_cast<int>(length), result);
    for (const std::string& e : errors) result.problems.push_back("libtiff: " + e);
    for (const std::string& w : warnings) result.field("libtiff warns", w);

    // Stored order to the frame's: each pixel's samples move to their components.
    const std::array<int, 3> order = tiffStoredComponents(yCbCr);
    CodeFrame& frame = result.frame;
    for (int y = 0; y < frame.presentHeight; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            uint16_t* pixel = &frame.stored(x, y, 0);
            const uint16_t stored[kComponents] = {pixel[0], pixel[1], pixel[2]};
            for (int i = 0; i < kComponents; ++i) pixel[order[static_cast<std::size_t>(i)]] = stored[i];
        }
    }
    frame.codeBits = frame.narrowestCodeBits();
    result.storedNames =
        yCbCr ? std::vector<std::string>{"Y'", "Cb", "Cr"} : std::vector<std::string>{"R'", "G'", "B'"};
    result.storedComponents.assign(order.begin(), order.end());
    return result;
}
