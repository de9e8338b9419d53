#include "inspect/PngFileReader.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "inspect/UnreadableFile.h"

namespace {

constexpr int kComponents = 4;  // red, green, blue, alpha
constexpr int kStoredBits = 16;
constexpr int kBytesPerSample = 2;
constexpr png_uint_16 kOpaque = 0xFFFF;
constexpr unsigned kHighByte = 0xFF00;
constexpr std::size_t kMessageSize = 256;

// Where libpng's messages and the reading position are kept. Nothing in it
// has a destructor to skip, so it survives libpng's long jump back.
struct PngState {
    FILE* file = nullptr;
    bool endedEarly = false;
    char error[kMessageSize] = {};
    std::vector<std::string>* warnings = nullptr;
    png_uint_32 rowsRead = 0;
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
    stateOf(png).warnings->push_back(message);
}

// Reads from the file, noting a file that ends before libpng is done with it.
void readData(png_structp png, png_bytep data, png_size_t length)
{
    PngState& state = stateOf(png);
    if (std::fread(data, 1, length, state.file) != length) {
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

// The two steps that libpng may leave by a long jump, each with its own
// return point; they hold no objects with destructors.
bool readHeader(png_structp png, png_infop info, PngHeader& header)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colourType, &header.interlace,
                 nullptr, nullptr);
    return true;
}

// Rows of a non-interlaced file are given room one at a time, so that a
// header claiming more rows than the file holds costs no memory.
bool readRows(png_structp png, png_infop info, const PngHeader& header, CodeFrame& frame)
{
    PngState& state = stateOf(png);
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_expand(png);
    if (header.bitDepth < kStoredBits) png_set_expand_16(png);
    png_set_gray_to_rgb(png);
    if ((header.colourType & PNG_COLOR_MASK_ALPHA) == 0 && !png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_add_alpha(png, kOpaque, PNG_FILLER_AFTER);
    }
    const png_uint_16 probe = 1;
    if (*reinterpret_cast<const unsigned char*>(&probe) == 1) png_set_swap(png);  // to this host's order
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(header.width) * kComponents * kBytesPerSample) {
        png_error(png, "unexpected row size after widening");
    }
    if (passes > 1) frame.holdLines(frame.height);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < header.height; ++y) {
            if (passes == 1) frame.holdLines(static_cast<int>(y) + 1);
            png_read_row(png, reinterpret_cast<png_bytep>(&frame.stored(0, static_cast<int>(y), 0)), nullptr);
            if (pass == passes - 1) state.rowsRead = y + 1;
        }
    }
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

// Releases libpng's structures and the file on every way out.
class PngReading {
public:
    PngReading(const std::string& path, PngState& state) : state_(state)
    {
        state.file = std::fopen(path.c_str(), "rb");
        if (state.file == nullptr) throw UnreadableFile(std::string("cannot open it: ") + std::strerror(errno));
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onError, onWarning);
        info = png != nullptr ? png_create_info_struct(png) : nullptr;
        if (info == nullptr) {
            png_destroy_read_struct(&png, nullptr, nullptr);
            std::fclose(state.file);
            throw UnreadableFile("libpng could not start");
        }
        png_set_read_fn(png, &state, readData);
        // A damaged chunk is read on and reported, so that the picture can still be looked at.
        png_set_crc_action(png, PNG_CRC_WARN_USE, PNG_CRC_WARN_USE);
    }
    PngReading(const PngReading&) = delete;
    PngReading& operator=(const PngReading&) = delete;
    ~PngReading()
    {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(state_.file);
    }

    png_structp png = nullptr;
    png_infop info = nullptr;

private:
    PngState& state_;
};

}  // namespace

InspectedFile readPngFile(const std::string& path)
{
    InspectedFile result;
    result.path = path;
    result.kind = FileKind::Png;
    std::vector<std::string> warnings;
    PngState state;
    state.warnings = &warnings;
    PngReading reading(path, state);

    PngHeader header;
    if (!readHeader(reading.png, reading.info, header)) {
        if (!state.endedEarly) throw UnreadableFile(std::string("libpng cannot read its header: ") + state.error);
        result.problems.push_back("the file ends inside its header");
        return result;
    }
    if (!CodeFrame::fits(header.width, header.height)) {
        throw UnreadableFile("its " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                             " pixels are more than pm5544-inspect reads");
    }

    const bool asWritten = header.bitDepth == kStoredBits && header.colourType == PNG_COLOR_TYPE_RGB_ALPHA;
    result.field("size", std::to_string(header.width) + "x" + std::to_string(header.height));
    result.field("samples",
                 std::to_string(header.bitDepth) + "-bit " + colourTypeName(header.colourType) +
                     (header.interlace != PNG_INTERLACE_NONE ? ", interlaced" : "") +
                     (asWritten ? " (as pm5544 writes)" : " (not as pm5544 writes; read widened to 16-bit RGBA)"));

    CodeFrame& frame = result.frame;
    frame = CodeFrame(static_cast<int>(header.width), 0, kComponents, kStoredBits);
    frame.height = static_cast<int>(header.height);
    if (!readRows(reading.png, reading.info, header, frame)) {
        if (!state.endedEarly) {
            result.problems.push_back(std::string("libpng stopped: ") + state.error);
        } else if (state.rowsRead < header.height) {
            result.problems.push_back("the file ends early, after " + std::to_string(state.rowsRead) + " of " +
                                      std::to_string(header.height) + " rows");
        } else {
            result.problems.push_back("the file ends after its rows, before its end chunk");
        }
        frame.holdLines(static_cast<int>(state.rowsRead));
    }
    for (const std::string& w : warnings) result.problems.push_back("libpng: " + w);

    // Narrower PNGs were widened by repeating their bits: keep only the code.
    if (header.bitDepth < kStoredBits) {
        for (uint16_t& s : frame.samples) s = static_cast<uint16_t>(s & kHighByte);
    }
    frame.codeBits = frame.narrowestCodeBits();
    result.sampling = frame.apparentSampling();
    if (result.sampling != PatternGen::Sampling_444) {
        result.field("red and blue", std::string("each pair of pixels") +
                                         (result.sampling == PatternGen::Sampling_420 ? " and lines" : "") +
                                         " shares them: rendered " +
                                         (result.sampling == PatternGen::Sampling_420 ? "4:2:0" : "4:2:2"));
    }
    result.storedNames = {"red", "green", "blue", "alpha"};
    result.storedComponents = {CodeFrame::kCrOrR, CodeFrame::kYOrG, CodeFrame::kCbOrB, CodeFrame::kAlpha};
    return result;
}
