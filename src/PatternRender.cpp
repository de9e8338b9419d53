#include "PatternRender.h"

#include <sys/stat.h>

#include <cstdint>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Usage.h"
#include "patterns/PatternWrapper.h"
#include "tools/ColourKeywords.h"
#include "tools/UnitTests.h"
#include "tools/rounding.h"
#include "writers/writeDPX.h"
#include "writers/writePng.h"
#include "writers/writeTiff.h"
#include "writers/writeVantoKeplo.h"

namespace {

using PatternGen::colorAxes_e;

// Everything the command line can set, with the defaults a bare run uses.
struct RunSettings {
    int width = 1920;
    int height = 1080;
    int aspectWidth = 16;
    int aspectHeight = 9;
    colorAxes_e axes = PatternGen::Colour_RGB;
    PatternGen::sampling_e sampling = PatternGen::Sampling_444;
    int bitDepth = 12;
    PatternGen::quadrant_e quadrant = PatternGen::Quadrant_None;
    int commandLineValue = 0;
    bool fullRange = false;
    bool skipLineEndShaping = false;
    bool selfTest = false;
    const char* fileName = nullptr;
};

constexpr int kPatternFileBitDepth = 12;
// DPX files always carry 10-bit samples, whatever the rendering depth.
constexpr int kDpxBitDepth = 10;
constexpr int kMinBitDepth = 8;
constexpr int kMaxBitDepth = 16;
// The card needs a few samples per line for the black samples at its ends.
constexpr int kMinWidth = 4;
// The card's geometry multiplies width, height and an aspect term in 32-bit
// integers; beyond this product those multiplications would overflow.
constexpr long long kMaxGeometryProduct = 0x7FFFFFFFLL;

const char* const kMsgPatternBitDepth = "Error: Vanto/Keplo patterns need to be rendered in 12 bit (-b 12)";
const char* const kMsgPat422 =
    "Error: Vanto/Keplo YCbCr 422 patterns must be rendered in YCbCr 422 (-c 709 -s 422).\n"
    "2020 will work but is not yet supported by Vanto or Keplo.";
const char* const kMsgRgbAxes = "Error: Vanto/Keplo RGB patterns must be rendered using RGB (-c RGB-headroom) 444";
const char* const kMsgXyzAxes = "Error: Vanto/Keplo XYZ patterns must be rendered using RGB 444 (-c RGB-headroom)";
const char* const kMsgYc4 = "Error: Vanto/Keplo yc4 files must be rendered in YCbCr 444 (-s 444)";

bool isYCbCrAxes(colorAxes_e axes)
{
    return axes >= PatternGen::Colour_YCbCr_601 && axes <= PatternGen::Colour_YCbCr_SLog3_Live_Mapped;
}

}  // namespace

std::string PatternRender::fontDirectoryFor(const char* programPath)
{
    if (programPath == nullptr) return "";
    const std::string path(programPath);
    const std::string::size_type separator = path.find_last_of("/\\");
    if (separator == 0) return "";
    const std::string dir = (separator == std::string::npos ? path : path.substr(0, separator)) + "/../fonts";
    struct stat info;
    if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return dir;
    return "";
}

namespace {

// Outcome of reading one option: go on, or stop the run with this status.
enum class ParseResult { Continue, Fail };

ParseResult parseColour(const char* value, RunSettings& settings)
{
    if (ColourKeywords::find(value, settings.axes) != ColourKeywords::Lookup::Unknown) return ParseResult::Continue;
    std::fprintf(stderr, "Error: Unrecognised Colour Space %s\n", value);
    return ParseResult::Fail;
}

void parseSampling(const char* value, RunSettings& settings)
{
    int number = 0;
    if (std::sscanf(value, "%d", &number) != 1) return;
    if (number == 422) settings.sampling = PatternGen::Sampling_422;
    else if (number == 420) settings.sampling = PatternGen::Sampling_420;
    else settings.sampling = PatternGen::Sampling_444;
}

void parseQuadrant(const char* value, RunSettings& settings)
{
    if (std::strcmp(value, "TR") == 0) settings.quadrant = PatternGen::Quadrant_TopRight;
    else if (std::strcmp(value, "BR") == 0) settings.quadrant = PatternGen::Quadrant_BottomRight;
    else if (std::strcmp(value, "BL") == 0) settings.quadrant = PatternGen::Quadrant_BottomLeft;
    else if (std::strcmp(value, "TL") == 0) settings.quadrant = PatternGen::Quadrant_TopLeft;
}

// Reads "%dx%d"; a value without the second number sets only the first.
void parsePair(const char* value, int& first, int& second)
{
    int a = 0;
    int b = 0;
    const int n = std::sscanf(value, "%dx%d", &a, &b);
    if (n >= 1) first = a;
    if (n == 2) second = b;
}

void parseInt(const char* value, int& target)
{
    int number = 0;
    if (std::sscanf(value, "%d", &number) == 1) target = number;
}

bool isOption(const char* arg, const char* option)
{
    return std::strcmp(arg, option) == 0;
}

// Options are matched only as whole arguments; anything unmatched is the file name.
ParseResult parseOptions(int argc, char** argv, RunSettings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : nullptr;

        if (isOption(arg, "-b") || isOption(arg, "-d") || isOption(arg, "-a") || isOption(arg, "-c") ||
            isOption(arg, "-s") || isOption(arg, "-q") || isOption(arg, "-o") || isOption(arg, "-i")) {
            // An option that needs a value but stands last has nothing to read: ignore it.
            if (!hasValue) continue;
            ++i;
            if (isOption(arg, "-b")) parseInt(value, settings.bitDepth);
            else if (isOption(arg, "-d")) parsePair(value, settings.width, settings.height);
            else if (isOption(arg, "-a")) parsePair(value, settings.aspectWidth, settings.aspectHeight);
            else if (isOption(arg, "-c")) {
                if (parseColour(value, settings) == ParseResult::Fail) return ParseResult::Fail;
            } else if (isOption(arg, "-s")) parseSampling(value, settings);
            else if (isOption(arg, "-q")) parseQuadrant(value, settings);
            else if (isOption(arg, "-o")) parseInt(value, settings.commandLineValue);
            else settings.skipLineEndShaping = true;  // -i: its argument is skipped unread
        } else if (isOption(arg, "-u")) {
            settings.selfTest = true;
        } else if (isOption(arg, "-fr")) {
            settings.fullRange = true;
        } else if (isOption(arg, "-e") || isOption(arg, "-v") || isOption(arg, "-no_compress")) {
            // Accepted for compatibility; they change nothing.
        } else {
            settings.fileName = arg;
        }
    }
    return ParseResult::Continue;
}

enum class OutputKind { DefaultPng, Tiff, PatternFile, Image };

bool isPatternFileExtension(const std::string& ext)
{
    return ext == "pat" || ext == "rgb" || ext == "xyz" || ext == "yc4";
}

// Settings that the renderer cannot honour: refuse them plainly instead of
// producing a corrupt frame. Returns false after printing the reason.
bool validateSettings(const RunSettings& s, bool patternFile)
{
    if (s.bitDepth < kMinBitDepth || s.bitDepth > kMaxBitDepth) {
        if (patternFile) {
            std::printf("%s", kMsgPatternBitDepth);
        } else {
            std::fprintf(stderr, "Error: Bit depth %d is not supported (use %d to %d)\n", s.bitDepth, kMinBitDepth,
                         kMaxBitDepth);
        }
        return false;
    }
    if (s.width < kMinWidth || s.height < 1) {
        std::fprintf(stderr, "Error: Image size %dx%d is not supported (at least %dx1)\n", s.width, s.height,
                     kMinWidth);
        return false;
    }
    if (s.aspectWidth < 1 || s.aspectHeight < 1) {
        std::fprintf(stderr, "Error: Aspect ratio %d:%d is not supported (two positive numbers)\n", s.aspectWidth,
                     s.aspectHeight);
        return false;
    }
    const long long scale = s.quadrant != PatternGen::Quadrant_None ? 4 : 1;
    const long long aspectTerm = s.aspectWidth > s.aspectHeight ? s.aspectWidth : s.aspectHeight;
    const unsigned long long pixels = static_cast<unsigned long long>(scale) * s.width * s.height;
    // The frame of Pixels is the largest allocation; its byte count must fit the
    // address space (a 32-bit target would otherwise wrap the size).
    const bool fitsMemory = pixels <= SIZE_MAX / sizeof(Pixel);
    if (scale * s.width * s.height * aspectTerm > kMaxGeometryProduct || !fitsMemory) {
        std::fprintf(stderr, "Error: Image size %dx%d with aspect %d:%d is too large\n", s.width, s.height,
                     s.aspectWidth, s.aspectHeight);
        return false;
    }
    return true;
}

// The instrument checks, in their order; prints the first failure (no newline).
bool checkPatternFileSettings(const std::string& ext, const RunSettings& s, VantoKeploPatternFile& file)
{
    if (s.bitDepth != kPatternFileBitDepth) {
        std::printf("%s", kMsgPatternBitDepth);
        return false;
    }
    const bool yCbCr = isYCbCrAxes(s.axes);
    if (ext == "pat") {
        file.sampleFormat = PatternFileFormat::YCbCr422;
        if (!yCbCr || s.sampling != PatternGen::Sampling_422) {
            std::printf("%s", kMsgPat422);
            return false;
        }
    } else if (ext == "rgb" || ext == "xyz") {
        file.sampleFormat = PatternFileFormat::RGB;
        if (s.axes == PatternGen::Colour_RGB || yCbCr) {
            std::printf("%s", ext == "rgb" ? kMsgRgbAxes : kMsgXyzAxes);
            return false;
        }
    } else {  // yc4
        file.sampleFormat = PatternFileFormat::YCbCr444;
        if (!yCbCr || s.sampling != PatternGen::Sampling_444) {
            std::printf("%s", kMsgYc4);
            return false;
        }
    }
    return true;
}

DPX::eFormat dpxFormatFor(const RunSettings& s)
{
    if (s.axes == PatternGen::Colour_RGB || s.axes == PatternGen::Colour_RGB_219) return DPX::kRGB;
    if (s.axes == PatternGen::Colour_YCbCr_709 && s.sampling == PatternGen::Sampling_444) return DPX::kCbYCr;
    return DPX::kCbYCrY;
}

[[noreturn]] void failWriter(const char* kind, const char* name)
{
    std::printf("Failed to write %s file %s\n", kind, name);
    std::exit(1);
}

// Renders and writes one frame once the settings are known to be usable.
int renderAndWrite(const RunSettings& s, PatternSpec& pattern, const std::string& fontDirectory)
{
    const char* name = s.fileName;
    const std::string fileName(name);
    const std::string::size_type dot = fileName.find_last_of('.');
    const bool hasExtension = dot != std::string::npos;
    const std::string ext = hasExtension ? fileName.substr(dot + 1) : std::string();
    const bool yCbCr = isYCbCrAxes(s.axes);
    const size_t pixels = static_cast<size_t>(s.width) * static_cast<size_t>(s.height);

    std::printf("size %dx%d\n", s.width, s.height);
    std::unique_ptr<uint16_t[]> buffer;
    const bool needsImageBuffer = !(ext == "tif" || isPatternFileExtension(ext));
    if (needsImageBuffer) buffer.reset(new uint16_t[pixels * 4]);

    pattern.init(s.width, s.height, s.aspectWidth, s.aspectHeight, s.axes, s.sampling, s.bitDepth, s.fullRange,
                 s.quadrant, s.commandLineValue, s.skipLineEndShaping, fontDirectory);
    const int textScale = s.quadrant != PatternGen::Quadrant_None ? 2 : 1;
    pattern.render_text(s.width * textScale, s.height * textScale);

    if (!hasExtension) {
        std::printf("Writing PNG file by default\n");
        pattern.run_body(s.commandLineValue, s.width, s.height, buffer.get());
        Rounding::roundSamples(buffer.get(), pixels, s.axes, s.bitDepth);
        if (PngWriter::writePng(buffer.get(), yCbCr, s.width, s.height, s.bitDepth, name) != 0)
            failWriter("PNG", name);
        return 0;
    }

    std::vector<std::pair<int, int>> repeats;
    VantoKeploPatternFile patternFile;
    std::unique_ptr<uint16_t[]> tiffBuffer;
    int height = s.height;

    if (ext == "tif") {
        tiffBuffer.reset(new uint16_t[pixels * 3]);
        pattern.run_body(s.commandLineValue, s.width, height, repeats,
                         reinterpret_cast<unsigned char*>(tiffBuffer.get()));
        std::printf("writing to: %s\n", name);
    } else if (isPatternFileExtension(ext)) {
        if (!checkPatternFileSettings(ext, s, patternFile)) return 1;
        pattern.run_body(s.commandLineValue, s.width, s.height, repeats, patternFile);
    } else {
        pattern.run_body(s.commandLineValue, s.width, s.height, buffer.get());
        std::printf("writing to: %s\n", name);
        Rounding::roundSamples(buffer.get(), pixels, s.axes, s.bitDepth);
    }

    std::printf("Writing %s file\n", ext.c_str());

    if (ext == "dpx") {
        DPX::Metadata metadata;  // the card carries no creator, project or copyright text
        if (DPXWriter::writeDPX(buffer.get(), dpxFormatFor(s), s.width, s.height, kDpxBitDepth, name, metadata) != 0)
            failWriter("DPX", name);
    } else if (ext == "tif") {
        if (TiffWriter::writeTiff(reinterpret_cast<unsigned char*>(tiffBuffer.get()), yCbCr, s.width, height,
                                  s.bitDepth, repeats, name) != 0)
            failWriter("TIFF", name);
    } else if (isPatternFileExtension(ext)) {
        if (ext == "xyz") patternFile.ConvertToXYZ();
        patternFile.Save(name);
    } else {
        if (PngWriter::writePng(buffer.get(), yCbCr, s.width, s.height, s.bitDepth, name) != 0)
            failWriter("PNG", name);
    }
    patternFile.Clear();
    return 0;
}

}  // namespace

namespace PatternRender {

int renderPattern(int argc, char** argv, PatternSpec& pattern)
{
    // --help and --version answer before any other argument is read.
    if (const std::optional<int> status = Usage::answerInfoRequest(argc, argv)) return *status;
    const std::string fontDirectory = fontDirectoryFor(argc > 0 ? argv[0] : nullptr);
    if (argc < 2) {
        std::fprintf(stderr, "Error: Filename not given\n");
        return 1;
    }

    RunSettings settings;
    if (parseOptions(argc, argv, settings) == ParseResult::Fail) return 1;

    if (settings.selfTest)
        return UnitTests::runUnitTests(settings.width, settings.height, settings.aspectWidth, settings.aspectHeight,
                                       settings.axes);

    if (settings.fileName == nullptr) {
        std::fprintf(stderr, "Error: Filename not given\n");
        return 1;
    }

    const std::string fileName(settings.fileName);
    const std::string::size_type dot = fileName.find_last_of('.');
    const bool patternFile = dot != std::string::npos && isPatternFileExtension(fileName.substr(dot + 1));
    if (!validateSettings(settings, patternFile)) return 1;

    // Rendering and writing report their failures as exceptions (an unsupported
    // request such as a quadrant of a full-canvas pattern, a pattern file that
    // cannot be saved, memory exhaustion): end the run with a message, not an abort.
    try {
        return renderAndWrite(settings, pattern, fontDirectory);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        // Some pattern-file texts end in a newline of their own.
        const std::string text = e.what();
        const bool ownNewline = !text.empty() && text.back() == '\n';
        std::fprintf(stderr, "Error: %s%s", text.c_str(), ownNewline ? "" : "\n");
        return 1;
    }
}

}  // namespace PatternRender
