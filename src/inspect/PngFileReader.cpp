#include "inspect/PngFileReader.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "inspect/InputBytes.h"
#include "inspect/UnreadableFile.h"

namespace {

constexpr int kComponents = 4;  // red, green, blue, alpha
constexpr int kStoredBits = 16;
constexpr int kBytesPerPixel = kComponents * 2;
constexpr std::size_t kMessageSize = 256;
// Deflate stands for at most 258 bytes with one code of little more than two
// bits: no zlib stream inflates to more than about 1032 times its length.
constexpr uint64_t kMostInflation = 1040;
// Signature, header chunk and end chunk: bytes that hold no image data.
constexpr uint64_t kLeastOverhead = 8 + 25 + 12;

// Where libpng's messages and the reading position are kept. Nothing in it
// has a destructor to skip, so it survives libpng's long jump back.
struct PngState {
    const InputBytes* input = nullptr;
    uint64_t position = 0;
    bool endedEarly = false;
    char error[kMessageSize] = {};
    std::vector<std::string>* warnings = nullptr;
};

PngState& stateOf(png_structp png)
{
    return *static_cast<PngState*>(png_get_error_ptr(png));
}

void onError(png_structp png, png_const_charp message)
{
    std::snprintf(stateOf(png).error, kMessageSize, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp png, png_const_charp message)
{
    stateOf(png).warnings->push_back(std::string("libpng: ") + message);
}

// Reads on from the last position, noting a file that ends before libpng is done with it.
void readData(png_structp png, png_bytep data, png_size_t length)
{
    PngState& state = stateOf(png);
    const std::size_t got = state.input->read(state.position, data, length);
    state.position += got;
    if (got != length) {
        state.endedEarly = true;
        png_error(png, "the file ends early");
    }
}

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
};

// The steps that libpng may leave by a long jump, each with its own return
// point; they hold no objects with destructors.
bool readHeader(png_structp png, png_infop info, PngHeader& header)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colourType, &header.interlace,
                 nullptr, nullptr);
    const png_uint_16 probe = 1;
    if (*reinterpret_cast<const unsigned char*>(&probe) == 1) png_set_swap(png);  // to this host's order
    png_read_update_info(png, info);
    return true;
}

bool readRow(png_structp png, uint16_t* row)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_row(png, reinterpret_cast<png_bytep>(row), nullptr);
    return true;
}

bool readEnd(png_structp png)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_end(png, nullptr);
    return true;
}

const char* colourTypeName(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return "grey";
    case PNG_COLOR_TYPE_PALETTE: return "palette";
    case PNG_COLOR_TYPE_RGB: return "RGB";
    case PNG_COLOR_TYPE_GRAY_ALPHA: return "grey and alpha";
    case PNG_COLOR_TYPE_RGB_ALPHA: return "RGBA";
    }
    return "unknown";
}

class PngRows : public FileRows {
public:
    explicit PngRows(const InputBytes& input)
    {
        state_.input = &input;
        state_.warnings = &problems_;
        start();
    }
    ~PngRows() override { stop(); }
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    const PngHeader& header() const { return header_; }
    bool headerRead() const { return headerRead_; }
    const PngState& state() const { return state_; }
    void setShape(const FrameShape& shape) { shape_ = shape; }

    void restart() override
    {
        stop();
        problems_.clear();
        start();
    }

    bool next(uint16_t* row) override
    {
        if (done_) return false;
        if (!readRow(png_, row)) {
            done_ = true;
            problems_.push_back(state_.endedEarly ? "the file ends early, after " + std::to_string(rowsRead_) + " of " +
                                                        std::to_string(header_.height) + " rows"
                                                  : std::string("libpng stopped: ") + state_.error);
            return false;
        }
        if (++rowsRead_ == header_.height) finish();
        return true;
    }

private:
    void start()
    {
        state_.position = 0;
        state_.endedEarly = false;
        state_.error[0] = '\0';
        rowsRead_ = 0;
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state_, onError, onWarning);
        info_ = png_ != nullptr ? png_create_info_struct(png_) : nullptr;
        if (info_ == nullptr) {
            png_destroy_read_struct(&png_, nullptr, nullptr);
            throw UnreadableFile("libpng could not start");
        }
        png_set_read_fn(png_, &state_, readData);
        // A damaged chunk is read on and reported, so that the picture can still be looked at.
        png_set_crc_action(png_, PNG_CRC_WARN_USE, PNG_CRC_WARN_USE);
        headerRead_ = readHeader(png_, info_, header_);
        done_ = !headerRead_;
    }

    void stop() { png_destroy_read_struct(&png_, &info_, nullptr); }

    // After the last row: the end chunk, and nothing after it.
    void finish()
    {
        done_ = true;
        if (!readEnd(png_)) {
            problems_.push_back(state_.endedEarly ? std::string("the file ends after its rows, before its end chunk")
                                                  : std::string("libpng stopped after the rows: ") + state_.error);
            return;
        }
        const uint64_t size = state_.input->size();
        if (state_.position < size) {
            problems_.push_back(std::to_string(size - state_.position) + " bytes follow the end chunk");
        }
    }

    PngState state_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    PngHeader header_;
    bool headerRead_ = false;
    bool done_ = true;
    png_uint_32 rowsRead_ = 0;
};

}  // namespace

std::unique_ptr<FileRows> openPngFile(const InputBytes& input, InspectedFile& file)
{
    auto rows = std::make_unique<PngRows>(input);
    if (!rows->headerRead()) {
        if (!rows->state().endedEarly) {
            throw UnreadableFile(std::string("libpng cannot read its header: ") + rows->state().error);
        }
        file.problems.push_back("the file ends inside its header");
        return nullptr;
    }
    const PngHeader& header = rows->header();
    file.field("size", std::to_string(header.width) + "x" + std::to_string(header.height));
    const bool asWritten = header.bitDepth == kStoredBits && header.colourType == PNG_COLOR_TYPE_RGB_ALPHA &&
                           header.interlace == PNG_INTERLACE_NONE;
    file.field("samples", std::to_string(header.bitDepth) + "-bit " + colourTypeName(header.colourType) +
                              (header.interlace != PNG_INTERLACE_NONE ? ", interlaced" : "") +
                              (asWritten ? " (as pm5544 writes)" : ""));
    if (!asWritten) {
        throw UnreadableFile(std::string("its samples are ") + std::to_string(header.bitDepth) + "-bit " +
                             colourTypeName(header.colourType) +
                             (header.interlace != PNG_INTERLACE_NONE ? ", interlaced" : "") +
                             "; pm5544 writes 16-bit RGBA, not interlaced");
    }
    const uint64_t rawBytes = static_cast<uint64_t>(header.height) * (1 + uint64_t{header.width} * kBytesPerPixel);
    const uint64_t data = input.size() > kLeastOverhead ? input.size() - kLeastOverhead : 0;
    if (rawBytes / kMostInflation > data) {
        file.problems.push_back("its " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                                " pixels take " + std::to_string(rawBytes) + " bytes, more than " +
                                std::to_string(input.size()) + " bytes of compressed data can hold");
        return nullptr;
    }
    rows->restart();  // the warnings of the header belong to the first pass
    FrameShape shape;
    shape.width = static_cast<int>(header.width);
    shape.height = static_cast<int>(header.height);
    shape.components = kComponents;
    shape.storedBits = kStoredBits;
    shape.codeBits = kStoredBits;
    shape.presentWidth = shape.width;
    file.storedNames = {"red", "green", "blue", "alpha"};
    file.storedComponents = {FrameShape::kCrOrR, FrameShape::kYOrG, FrameShape::kCbOrB, FrameShape::kAlpha};
    rows->setShape(shape);
    return rows;
}
