#include "inspect/TiffFileReader.h"

#include <tiffio.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "inspect/InputBytes.h"
#include "inspect/LzwStrip.h"
#include "inspect/UnreadableFile.h"
#include "writers/LineRepeatTag.h"

namespace {

constexpr int kComponents = 3;
constexpr int kStoredBits = 16;
constexpr std::size_t kMessageSize = 512;
constexpr std::size_t kClassicHeaderSize = 8;
constexpr uint16_t kClassicVersion = 42;
constexpr uint16_t kBigVersion = 43;
// After the two bytes of byte order: the version, then the first directory's offset.
constexpr std::size_t kVersionAt = 2;
constexpr std::size_t kVersionSize = 2;
constexpr std::size_t kClassicDirectoryAt = 4;
constexpr std::size_t kClassicOffsetSize = 4;
constexpr std::size_t kEntrySize = 12;
// Repeat lists longer than this are shown by their first pairs only.
constexpr std::size_t kRepeatPairsShown = 8;
// LZW stands for a string one byte longer than the last with each new code of
// 9 to 12 bits: a table's worth of codes stands for at most about 1365 times
// the bytes they take.
constexpr uint64_t kMostLzwExpansion = 1400;
constexpr uint16_t kStripOffsetsTag = 273;
constexpr uint16_t kStripByteCountsTag = 279;

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

// While a TIFF is read, libtiff's messages go to its list.
class CollectedMessages {
public:
    explicit CollectedMessages(std::vector<std::string>& into)
        : errors_(TIFFSetErrorHandler(collectError)), warnings_(TIFFSetWarningHandler(collectWarning))
    {
        gErrors = &into;
        gWarnings = &into;
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

// libtiff reads the input through these, at its own offsets.
struct TiffSource {
    const InputBytes* input;
    uint64_t position = 0;
};

tmsize_t readSource(thandle_t handle, void* data, tmsize_t size)
{
    TiffSource& source = *static_cast<TiffSource*>(handle);
    const std::size_t got = source.input->read(source.position, data, static_cast<std::size_t>(size));
    source.position += got;
    return static_cast<tmsize_t>(got);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t seekSource(thandle_t handle, toff_t offset, int whence)
{
    TiffSource& source = *static_cast<TiffSource*>(handle);
    const uint64_t base = whence == SEEK_CUR ? source.position : whence == SEEK_END ? source.input->size() : 0;
    source.position = base + offset;
    return source.position;
}

int closeNothing(thandle_t)
{
    return 0;
}

toff_t sizeOfSource(thandle_t handle)
{
    return static_cast<TiffSource*>(handle)->input->size();
}

int mapNothing(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

class TiffHandle {
public:
    explicit TiffHandle(const InputBytes& input) : source_{&input}
    {
        tif = TIFFClientOpen(input.name().c_str(), "r", &source_, readSource, writeNothing, seekSource, closeNothing,
                             sizeOfSource, mapNothing, unmapNothing);
    }
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;
    ~TiffHandle()
    {
        if (tif != nullptr) TIFFClose(tif);
    }
    TIFF* tif = nullptr;

private:
    TiffSource source_;
};

// Numbers of the file's byte order, read from the input.
class RawNumbers {
public:
    RawNumbers(const InputBytes& input, bool bigEndian) : input_(input), bigEndian_(bigEndian) {}
    // False when the file ends before them.
    bool number(uint64_t offset, std::size_t size, uint64_t& value) const
    {
        unsigned char bytes[8];
        if (input_.read(offset, bytes, size) != size) return false;
        value = 0;
        for (std::size_t i = 0; i < size; ++i) value = (value << 8) | bytes[bigEndian_ ? i : size - 1 - i];
        return true;
    }

private:
    const InputBytes& input_;
    bool bigEndian_;
};

std::size_t typeSize(uint64_t type)
{
    switch (type) {
    case TIFF_BYTE:
    case TIFF_ASCII:
    case TIFF_SBYTE:
    case TIFF_UNDEFINED: return 1;
    case TIFF_SHORT:
    case TIFF_SSHORT: return 2;
    case TIFF_LONG:
    case TIFF_SLONG:
    case TIFF_FLOAT:
    case TIFF_IFD: return 4;
    case TIFF_RATIONAL:
    case TIFF_SRATIONAL:
    case TIFF_DOUBLE:
    case TIFF_LONG8:
    case TIFF_SLONG8:
    case TIFF_IFD8: return 8;
    }
    return 1;
}

// What the bytes of the file are used for, from its own first directory:
// where the last used byte lies, and whether anything lies past the end.
struct TiffExtent {
    uint64_t end = kClassicHeaderSize;                  // one past the last byte used
    uint64_t stripBytes = 0;                            // the strips' bytes, all together
    std::vector<std::pair<uint64_t, uint64_t>> strips;  // offset and length of each
    std::string cut;                                    // what lies past the end of the file, if anything
};

// The values of a strip tag, which must lie in the file.
bool stripValues(const RawNumbers& raw, uint64_t type, uint64_t count, uint64_t at, std::vector<uint64_t>& values)
{
    const std::size_t size = typeSize(type);
    values.clear();
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t v = 0;
        if (!raw.number(at + i * size, size, v)) return false;
        values.push_back(v);
    }
    return true;
}

TiffExtent measureExtent(const InputBytes& input, bool bigEndian, uint64_t directory)
{
    const RawNumbers raw(input, bigEndian);
    const uint64_t size = input.size();
    TiffExtent extent;
    uint64_t entries = 0;
    if (!raw.number(directory, 2, entries)) {
        extent.cut = "its first directory lies at byte " + std::to_string(directory) + ", past the end (" +
                     std::to_string(size) + " bytes): the file is cut short";
        return extent;
    }
    const uint64_t directoryEnd = directory + 2 + entries * kEntrySize + kClassicOffsetSize;
    extent.end = std::max(extent.end, directoryEnd);
    if (directoryEnd > size) {
        extent.cut = "its directory ends at byte " + std::to_string(directoryEnd) + ", past the end (" +
                     std::to_string(size) + " bytes): the file is cut short";
        return extent;
    }
    std::vector<uint64_t> offsets;
    std::vector<uint64_t> counts;
    for (uint64_t i = 0; i < entries; ++i) {
        const uint64_t entry = directory + 2 + i * kEntrySize;
        uint64_t tag = 0, type = 0, count = 0, value = 0;
        raw.number(entry, 2, tag);
        raw.number(entry + 2, 2, type);
        raw.number(entry + 4, 4, count);
        raw.number(entry + 8, 4, value);
        const uint64_t bytes = count * typeSize(type);
        const uint64_t at = bytes <= kClassicOffsetSize ? entry + 8 : value;
        if (bytes > kClassicOffsetSize) {
            extent.end = std::max(extent.end, at + bytes);
            if (at + bytes > size) {
                extent.cut = "tag " + std::to_string(tag) + " ends at byte " + std::to_string(at + bytes) +
                             ", past the end (" + std::to_string(size) + " bytes): the file is cut short";
                return extent;
            }
        }
        if (tag == kStripOffsetsTag) stripValues(raw, type, count, at, offsets);
        if (tag == kStripByteCountsTag) stripValues(raw, type, count, at, counts);
    }
    for (std::size_t i = 0; i < offsets.size() && i < counts.size(); ++i) {
        const uint64_t stripEnd = offsets[i] + counts[i];
        extent.stripBytes += counts[i];
        extent.strips.emplace_back(offsets[i], counts[i]);
        extent.end = std::max(extent.end, stripEnd);
        if (stripEnd > size && extent.cut.empty()) {
            extent.cut = "strip " + std::to_string(i) + " ends at byte " + std::to_string(stripEnd) +
                         ", past the end (" + std::to_string(size) + " bytes): the file is cut short";
        }
    }
    return extent;
}

// The header's first directory, and how much of the file the directory uses.
TiffExtent checkLayout(const InputBytes& input, InspectedFile& result)
{
    unsigned char head[kClassicHeaderSize];
    const std::size_t got = input.read(0, head, sizeof head);
    TiffExtent extent;
    if (got < kClassicHeaderSize) {
        extent.cut = "the file ends inside its header";
        return extent;
    }
    const bool bigEndian = head[0] == 'M';
    const RawNumbers raw(input, bigEndian);
    uint64_t version = 0, directory = 0;
    raw.number(kVersionAt, kVersionSize, version);
    if (version == kBigVersion) throw UnreadableFile("it is a BigTIFF; pm5544 writes classic TIFF");
    if (version != kClassicVersion) throw UnreadableFile("its TIFF header has version " + std::to_string(version));
    raw.number(kClassicDirectoryAt, kClassicOffsetSize, directory);
    result.field("byte order", bigEndian ? "big-endian (\"MM\")" : "little-endian (\"II\")");
    return measureExtent(input, bigEndian, directory);
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

    // Every row named once: sorted, no row equals the next.
    std::vector<long long> named;
    for (const auto& pair : pairs) named.push_back(pair.first);
    std::sort(named.begin(), named.end());
    for (std::size_t i = 0; i < named.size(); ++i) {
        if (named[i] < 0 || named[i] >= rows || (i > 0 && named[i] == named[i - 1])) {
            result.problems.push_back("line repeats: row " + std::to_string(named[i]) +
                                      " is outside the image or named twice");
            return;
        }
    }
    if (pairs.size() != static_cast<std::size_t>(rows)) {
        result.problems.push_back("line repeats name " + std::to_string(pairs.size()) + " rows, the image has " +
                                  std::to_string(rows));
    }
}

// The rows, strip by strip, each decoded as it is read; the stored order
// moved to the frame's.
class TiffRowsOfFile : public FileRows {
public:
    TiffRowsOfFile(const InputBytes& input, const FrameShape& shape, bool yCbCr, bool bigEndian, bool compressed,
                   uint32_t rowsPerStrip, std::vector<std::pair<uint64_t, uint64_t>> strips)
        : input_(input),
          order_(tiffStoredComponents(yCbCr)),
          bigEndian_(bigEndian),
          compressed_(compressed),
          rowsPerStrip_(rowsPerStrip),
          strips_(std::move(strips)),
          bytes_(shape.rowSamples() * sizeof(uint16_t))
    {
        shape_ = shape;
    }

    void restart() override
    {
        problems_.clear();
        strip_.reset();
        row_ = 0;
        stopped_ = false;
    }

    bool next(uint16_t* row) override
    {
        if (stopped_ || row_ >= static_cast<uint32_t>(shape_.height)) return false;
        const std::size_t index = row_ / rowsPerStrip_;
        if (row_ % rowsPerStrip_ == 0) {
            strip_.reset();
            if (index < strips_.size()) {
                strip_ = std::make_unique<LzwStrip>(input_, strips_[index].first, strips_[index].second, compressed_);
            }
        }
        if (strip_ == nullptr || !strip_->read(bytes_.data(), bytes_.size())) {
            stopped_ = true;
            problems_.push_back("strip " + std::to_string(index) + " ends early: the strips hold " +
                                std::to_string(row_) + " of " + std::to_string(shape_.height) + " rows");
            return false;
        }
        ++row_;
        for (int x = 0; x < shape_.width; ++x) {
            for (std::size_t i = 0; i < kComponents; ++i) {
                const uint8_t* b = &bytes_[(static_cast<std::size_t>(x) * kComponents + i) * 2];
                const uint16_t value =
                    bigEndian_ ? static_cast<uint16_t>(b[0] << 8 | b[1]) : static_cast<uint16_t>(b[1] << 8 | b[0]);
                row[static_cast<std::size_t>(x) * kComponents + static_cast<std::size_t>(order_[i])] = value;
            }
        }
        return true;
    }

private:
    const InputBytes& input_;
    std::array<int, 3> order_;
    bool bigEndian_;
    bool compressed_;
    uint32_t rowsPerStrip_;
    std::vector<std::pair<uint64_t, uint64_t>> strips_;  // offset and length of each
    std::vector<uint8_t> bytes_;
    std::unique_ptr<LzwStrip> strip_;
    uint32_t row_ = 0;
    bool stopped_ = true;
};

}  // namespace

std::array<int, 3> tiffStoredComponents(bool yCbCr)
{
    if (yCbCr) return {FrameShape::kYOrG, FrameShape::kCbOrB, FrameShape::kCrOrR};
    return {FrameShape::kCrOrR, FrameShape::kYOrG, FrameShape::kCbOrB};
}

std::unique_ptr<FileRows> openTiffFile(const InputBytes& input, InspectedFile& result)
{
    const TiffExtent extent = checkLayout(input, result);
    if (!extent.cut.empty()) result.problems.push_back(extent.cut);

    std::vector<std::string> messages;
    TiffWriter::augment_libtiff_with_custom_tags();
    std::unique_ptr<TiffHandle> handle;
    {
        CollectedMessages collecting(messages);
        handle = std::make_unique<TiffHandle>(input);
    }
    TIFF* tif = handle->tif;
    if (tif == nullptr) {
        // A file cut short is damaged, whatever libtiff makes of what is left.
        if (!extent.cut.empty()) return nullptr;
        throw UnreadableFile("libtiff cannot open it" + (messages.empty() ? std::string() : ": " + messages.front()));
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
    const uint16_t predictor = tagOr<uint16_t>(tif, TIFFTAG_PREDICTOR, PREDICTOR_NONE);
    const uint16_t fillOrder = tagOr<uint16_t>(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    if (predictor != PREDICTOR_NONE || fillOrder != FILLORDER_MSB2LSB) {
        throw UnreadableFile("its data have a predictor or reversed bits; pm5544 writes neither");
    }
    if (compression != COMPRESSION_LZW && compression != COMPRESSION_NONE) {
        throw UnreadableFile("its compression is " + compressionName(compression) +
                             "; pm5544 writes LZW (uncompressed is read too)");
    }
    if (photometric != PHOTOMETRIC_RGB && photometric != PHOTOMETRIC_YCBCR) {
        throw UnreadableFile("photometric " + std::to_string(photometric) + " is neither RGB nor YCbCr");
    }
    if (subsampleH != 1 || subsampleV != 1) {
        throw UnreadableFile("its chroma is subsampled; pm5544 writes every sample");
    }
    const uint32_t rowsPerStrip = std::min(tagOr<uint32_t>(tif, TIFFTAG_ROWSPERSTRIP, UINT32_MAX), length);
    result.field("strips", std::to_string(TIFFNumberOfStrips(tif)) + " of " + std::to_string(rowsPerStrip) + " rows");
    if (extent.end < input.size()) {
        result.field("note", std::to_string(input.size() - extent.end) +
                                 " bytes after the last byte its directory uses (not read)");
    }
    readLineRepeats(tif, static_cast<int>(std::min<uint32_t>(length, INT32_MAX)), result);
    for (const std::string& m : messages) result.problems.push_back("libtiff: " + m);
    if (width == 0 || length == 0) {
        result.problems.push_back("the image has no pixels");
        return nullptr;
    }
    const uint64_t rawBytes = uint64_t{width} * length * kComponents * sizeof(uint16_t);
    const uint64_t most = compression == COMPRESSION_LZW ? kMostLzwExpansion : 1;
    if (rawBytes / most > extent.stripBytes || width > INT32_MAX || length > INT32_MAX) {
        result.problems.push_back("its " + std::to_string(width) + "x" + std::to_string(length) + " pixels take " +
                                  std::to_string(rawBytes) + " bytes, more than its " +
                                  std::to_string(extent.stripBytes) + " bytes of strips can hold");
        return nullptr;
    }

    const bool yCbCr = photometric == PHOTOMETRIC_YCBCR;
    result.layout = yCbCr ? ColourLayout::YCbCr : ColourLayout::Rgb;
    const std::array<int, 3> order = tiffStoredComponents(yCbCr);
    result.storedNames =
        yCbCr ? std::vector<std::string>{"Y'", "Cb", "Cr"} : std::vector<std::string>{"R'", "G'", "B'"};
    result.storedComponents.assign(order.begin(), order.end());
    FrameShape shape;
    shape.width = static_cast<int>(width);
    shape.height = static_cast<int>(length);
    shape.components = kComponents;
    shape.storedBits = kStoredBits;
    shape.codeBits = kStoredBits;
    shape.presentWidth = shape.width;
    // The strips as the directory lists them (all of them lie in the file).
    return std::make_unique<TiffRowsOfFile>(input, shape, yCbCr, TIFFIsBigEndian(tif) != 0,
                                            compression == COMPRESSION_LZW, std::max<uint32_t>(rowsPerStrip, 1),
                                            extent.strips);
}
