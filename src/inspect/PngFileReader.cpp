#include "inspect/PngFileReader.h"

#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "inspect/InputBytes.h"
#include "inspect/UnreadableFile.h"

namespace {

constexpr int kComponents = 4;  // red, green, blue, alpha
constexpr int kStoredBits = 16;
constexpr int kBytesPerPixel = kComponents * 2;
constexpr std::size_t kSignatureSize = 8;
constexpr std::size_t kChunkHeaderSize = 8;  // length and type
constexpr std::size_t kChecksumSize = 4;
constexpr std::size_t kHeaderDataSize = 13;
constexpr uint64_t kFirstChunkAfterHeader = kSignatureSize + kChunkHeaderSize + kHeaderDataSize + kChecksumSize;
constexpr uint32_t kLongestChunk = 0x7FFFFFFF;
constexpr std::size_t kReadBlock = 1 << 16;
constexpr int kRgba = 6;
// Deflate stands for at most 258 bytes with one code of little more than two
// bits: no zlib stream inflates to more than about 1032 times its length.
constexpr uint64_t kMostInflation = 1040;
// Signature, header chunk and end chunk: bytes that hold no image data.
constexpr uint64_t kLeastOverhead = kFirstChunkAfterHeader + kChunkHeaderSize + kChecksumSize;

enum class Filter { None, Sub, Up, Average, Paeth };
constexpr int kFilterTypes = 5;

uint32_t be32(const unsigned char* b)
{
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 |
           b[3];
}

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int compression = 0;
    int filter = 0;
    int interlace = 0;
};

const char* colourTypeName(int colourType)
{
    switch (colourType) {
    case 0: return "grey";
    case 2: return "RGB";
    case 3: return "palette";
    case 4: return "grey and alpha";
    case kRgba: return "RGBA";
    }
    return "of an unknown colour type";
}

// One chunk's place: its type and where its data lie.
struct Chunk {
    std::string type;
    uint64_t at = 0;  // of its length field
    uint32_t length = 0;
    uint64_t data() const { return at + kChunkHeaderSize; }
    uint64_t end() const { return data() + length + kChecksumSize; }
};

int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// The rows, inflated from the IDAT chunks as they are needed.
class PngRows : public FileRows {
public:
    PngRows(const InputBytes& input, const PngHeader& header)
        : input_(input),
          header_(header),
          rowBytes_(static_cast<std::size_t>(header.width) * kBytesPerPixel),
          previous_(rowBytes_),
          current_(rowBytes_ + 1),
          compressed_(kReadBlock),
          checked_(kReadBlock)
    {
        shape_.width = static_cast<int>(header.width);
        shape_.height = static_cast<int>(header.height);
        shape_.components = kComponents;
        shape_.storedBits = kStoredBits;
        shape_.codeBits = kStoredBits;
        shape_.presentWidth = shape_.width;
        restart();
    }
    ~PngRows() override { endStream(); }
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    void restart() override
    {
        problems_.clear();
        endStream();
        z_ = z_stream{};
        streaming_ = inflateInit(&z_) == Z_OK;
        if (!streaming_) throw UnreadableFile("zlib could not start");
        // Every chunk's checksum is checked: zlib's own of the whole stream would only cost time.
        inflateValidate(&z_, 0);
        rows_ = 0;
        done_ = false;
        streamEnded_ = false;
        std::fill(previous_.begin(), previous_.end(), uint8_t{0});
        next_ = kFirstChunkAfterHeader;
        chunkLeft_ = 0;
        // The image data start at the first IDAT chunk.
        Chunk chunk;
        while (readChunk(chunk) && chunk.type != "IDAT") {
            checkChecksum(chunk);
            if (chunk.type == "IEND") break;
        }
        if (chunk.type != "IDAT") {
            stop(chunk.type == "IEND" ? "the end chunk comes before any image data" : "the file holds no image data");
            return;
        }
        enterData(chunk);
    }

    bool next(uint16_t* row) override
    {
        if (done_) return false;
        if (!inflateRow()) return false;
        if (!unfilter()) return false;
        for (std::size_t i = 0; i < rowBytes_ / 2; ++i) {
            row[i] = static_cast<uint16_t>(previous_[2 * i] << 8 | previous_[2 * i + 1]);
        }
        if (++rows_ == header_.height) finish();
        return true;
    }

private:
    void endStream()
    {
        if (streaming_) inflateEnd(&z_);
        streaming_ = false;
    }

    void stop(const std::string& problem)
    {
        problems_.push_back(problem);
        done_ = true;
    }

    // The chunk at next_, and next_ moved past it; false at the end of the file.
    bool readChunk(Chunk& chunk)
    {
        unsigned char head[kChunkHeaderSize];
        chunk = Chunk{};
        chunk.at = next_;
        const std::size_t got = input_.read(next_, head, sizeof head);
        if (got == 0) return false;
        if (got < sizeof head) {
            problems_.push_back("the file ends inside the chunk at byte " + std::to_string(next_));
            next_ = input_.size();
            return false;
        }
        chunk.length = be32(head);
        chunk.type.assign(reinterpret_cast<const char*>(head + 4), 4);
        if (chunk.length > kLongestChunk) {
            problems_.push_back("the chunk at byte " + std::to_string(next_) + " claims " +
                                std::to_string(chunk.length) + " bytes");
            next_ = input_.size();
            return false;
        }
        next_ = chunk.end();
        return true;
    }

    // A wrong checksum is damage; the chunk is still used, so that the picture can be looked at.
    void checkChecksum(const Chunk& chunk)
    {
        unsigned char stored[kChecksumSize];
        if (input_.read(chunk.end() - kChecksumSize, stored, sizeof stored) != sizeof stored) {
            problems_.push_back("the file ends inside the " + chunk.type + " chunk at byte " +
                                std::to_string(chunk.at));
            return;
        }
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.type.data()), 4);
        std::vector<uint8_t>& block = checked_;
        for (uint64_t done = 0; done < chunk.length;) {
            const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(block.size(), chunk.length - done));
            const std::size_t got = input_.read(chunk.data() + done, block.data(), want);
            crc = crc32(crc, block.data(), static_cast<uInt>(got));
            if (got < want) return;
            done += got;
        }
        if (crc != be32(stored)) {
            problems_.push_back("the " + chunk.type + " chunk at byte " + std::to_string(chunk.at) +
                                " has a wrong checksum");
        }
    }

    void enterData(const Chunk& chunk)
    {
        checkChecksum(chunk);
        dataAt_ = chunk.data();
        chunkLeft_ = chunk.length;
    }

    // More compressed data for zlib: the rest of this IDAT chunk, then the next
    // one if it follows at once. False when the image data end.
    bool refill()
    {
        while (chunkLeft_ == 0) {
            Chunk chunk;
            const uint64_t at = next_;
            if (!readChunk(chunk)) return false;
            if (chunk.type != "IDAT") {
                next_ = at;  // not image data: read again after the rows
                return false;
            }
            enterData(chunk);
        }
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(compressed_.size(), chunkLeft_));
        const std::size_t got = input_.read(dataAt_, compressed_.data(), want);
        if (got == 0) return false;
        dataAt_ += got;
        chunkLeft_ = got < want ? 0 : chunkLeft_ - got;
        if (got < want) next_ = input_.size();
        z_.next_in = compressed_.data();
        z_.avail_in = static_cast<uInt>(got);
        return true;
    }

    std::string rowsSoFar() const { return std::to_string(rows_) + " of " + std::to_string(header_.height) + " rows"; }

    bool inflateRow()
    {
        z_.next_out = current_.data();
        z_.avail_out = static_cast<uInt>(current_.size());
        while (z_.avail_out > 0) {
            if (z_.avail_in == 0 && !refill()) {
                stop(next_ >= input_.size() ? "the file ends early, after " + rowsSoFar()
                                            : "the image data end after " + rowsSoFar());
                return false;
            }
            const int result = inflate(&z_, Z_NO_FLUSH);
            if (result == Z_STREAM_END && z_.avail_out > 0) {
                stop("the image data end after " + rowsSoFar());
                return false;
            }
            if (result != Z_OK && result != Z_STREAM_END) {
                stop("the image data do not inflate after " + rowsSoFar() +
                     (z_.msg != nullptr ? std::string(" (zlib: ") + z_.msg + ")" : std::string()));
                return false;
            }
            streamEnded_ = result == Z_STREAM_END;
        }
        return true;
    }

    // Undoes the row's filter against the row above, into previous_ (which
    // holds the row above until then). Each filter has its own loop: this is
    // where the time of reading goes.
    bool unfilter()
    {
        const int type = current_[0];
        if (type >= kFilterTypes) {
            stop("row " + std::to_string(rows_) + " has filter type " + std::to_string(type));
            return false;
        }
        const uint8_t* in = current_.data() + 1;
        uint8_t* out = previous_.data();  // the row above, replaced byte by byte
        const std::size_t n = rowBytes_;
        const std::size_t bpp = kBytesPerPixel;
        switch (static_cast<Filter>(type)) {
        case Filter::None: std::copy(in, in + n, out); break;
        case Filter::Sub:
            for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(in[i] + (i >= bpp ? out[i - bpp] : 0));
            break;
        case Filter::Up:
            for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(in[i] + out[i]);
            break;
        case Filter::Average:
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = static_cast<uint8_t>(in[i] + ((i >= bpp ? out[i - bpp] : 0) + out[i]) / 2);
            }
            break;
        case Filter::Paeth:
            // upLeft is the row above's byte one pixel back, which out[] no longer holds: kept aside.
            for (std::size_t i = 0; i < n; ++i) {
                const int up = out[i];
                const int left = i >= bpp ? out[i - bpp] : 0;
                const int upLeft = i >= bpp ? above_[i % bpp] : 0;
                above_[i % bpp] = static_cast<uint8_t>(up);
                out[i] = static_cast<uint8_t>(in[i] + paeth(left, up, upLeft));
            }
            break;
        }
        return true;
    }

    // After the last row: the end of the compressed data, no image data after
    // it, the end chunk, and nothing after that.
    void finish()
    {
        done_ = true;
        unsigned char extra = 0;
        while (!streamEnded_) {
            if (z_.avail_in == 0 && !refill()) {
                problems_.push_back("the image data end before their compressed stream does");
                break;
            }
            z_.next_out = &extra;
            z_.avail_out = 1;
            const int result = inflate(&z_, Z_NO_FLUSH);
            if (z_.avail_out == 0) {
                problems_.push_back("the image data hold more than their " + std::to_string(header_.height) + " rows");
                break;
            }
            if (result != Z_OK && result != Z_STREAM_END) {
                problems_.push_back("the image data do not inflate after their rows");
                break;
            }
            streamEnded_ = result == Z_STREAM_END;
        }
        const uint64_t after = z_.avail_in + chunkLeft_;
        if (streamEnded_ && after > 0) {
            problems_.push_back(std::to_string(after) + " bytes of the IDAT chunk follow the image data");
        }
        chunkLeft_ = 0;
        Chunk chunk;
        for (;;) {
            if (!readChunk(chunk)) {
                if (next_ <= input_.size()) problems_.push_back("the file ends after its rows, before its end chunk");
                return;
            }
            checkChecksum(chunk);
            if (chunk.type == "IDAT") {
                problems_.push_back("an IDAT chunk at byte " + std::to_string(chunk.at) + " follows the image data");
            }
            if (chunk.type == "IEND") break;
        }
        if (chunk.end() < input_.size()) {
            problems_.push_back(std::to_string(input_.size() - chunk.end()) + " bytes follow the end chunk");
        } else if (chunk.end() > input_.size()) {
            problems_.push_back("the file ends inside its end chunk");
        }
    }

    const InputBytes& input_;
    PngHeader header_;
    std::size_t rowBytes_;
    std::vector<uint8_t> previous_;  // the last row, unfiltered
    std::vector<uint8_t> current_;   // the filter type and the row being read
    std::vector<uint8_t> compressed_;
    std::vector<uint8_t> checked_;        // a chunk's bytes on their way through the checksum
    uint8_t above_[kBytesPerPixel] = {};  // for Paeth: the last pixel of the row above
    z_stream z_{};
    bool streaming_ = false;
    bool streamEnded_ = false;
    bool done_ = true;
    uint32_t rows_ = 0;
    uint64_t next_ = 0;       // the next chunk
    uint64_t dataAt_ = 0;     // the next compressed byte of the IDAT chunk being read
    uint64_t chunkLeft_ = 0;  // its bytes not yet read
};

}  // namespace

std::unique_ptr<FileRows> openPngFile(const InputBytes& input, InspectedFile& file)
{
    unsigned char head[kFirstChunkAfterHeader];
    const std::size_t got = input.read(0, head, sizeof head);
    if (got < sizeof head) {
        file.problems.push_back("the file ends inside its header");
        return nullptr;
    }
    const unsigned char* data = head + kSignatureSize + kChunkHeaderSize;
    if (be32(head + kSignatureSize) != kHeaderDataSize ||
        std::string(reinterpret_cast<const char*>(head + kSignatureSize + 4), 4) != "IHDR") {
        throw UnreadableFile("its first chunk is not a header (IHDR) of 13 bytes");
    }
    PngHeader header;
    header.width = be32(data);
    header.height = be32(data + 4);
    header.bitDepth = data[8];
    header.colourType = data[9];
    header.compression = data[10];
    header.filter = data[11];
    header.interlace = data[12];
    const uLong crc = crc32(crc32(0, head + kSignatureSize + 4, 4), data, kHeaderDataSize);
    if (crc != be32(data + kHeaderDataSize)) file.problems.push_back("the header chunk has a wrong checksum");

    file.field("size", std::to_string(header.width) + "x" + std::to_string(header.height));
    const std::string layout = std::to_string(header.bitDepth) + "-bit " + colourTypeName(header.colourType) +
                               (header.interlace != 0 ? ", interlaced" : "");
    const bool asWritten = header.bitDepth == kStoredBits && header.colourType == kRgba && header.interlace == 0 &&
                           header.compression == 0 && header.filter == 0;
    file.field("samples", layout + (asWritten ? " (as pm5544 writes)" : ""));
    if (!asWritten) throw UnreadableFile("its samples are " + layout + "; pm5544 writes 16-bit RGBA, not interlaced");
    if (header.width == 0 || header.height == 0 || header.width > kLongestChunk || header.height > kLongestChunk) {
        throw UnreadableFile("its header gives a size of " + std::to_string(header.width) + "x" +
                             std::to_string(header.height));
    }
    const uint64_t rawBytes = static_cast<uint64_t>(header.height) * (1 + uint64_t{header.width} * kBytesPerPixel);
    const uint64_t compressed = input.size() > kLeastOverhead ? input.size() - kLeastOverhead : 0;
    if (rawBytes / kMostInflation > compressed) {
        file.problems.push_back("its " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                                " pixels take " + std::to_string(rawBytes) + " bytes, more than " +
                                std::to_string(input.size()) + " bytes of compressed data can hold");
        return nullptr;
    }
    file.storedNames = {"red", "green", "blue", "alpha"};
    file.storedComponents = {FrameShape::kCrOrR, FrameShape::kYOrG, FrameShape::kCbOrB, FrameShape::kAlpha};
    return std::make_unique<PngRows>(input, header);
}
