#include "OutputKinds.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"
#include "rows/ImageRows.h"
#include "rows/InstrumentBlocks.h"
#include "rows/PlanarRows.h"
#include "rows/TiffRows.h"
#include "tools/ColourAxes.h"
#include "writers/DpxRowWriter.h"
#include "writers/OutputFile.h"
#include "writers/PatternFileWriter.h"
#include "writers/PngRowWriter.h"
#include "writers/TiffRowWriter.h"
#include "writers/Y4mHeader.h"
#include "writers/Y4mWriter.h"
#include "writers/writeDPX.h"
#include "writers/writeTiff.h"
#include "writers/writeVantoKeplo.h"

namespace OutputKinds {

namespace {

// DPX files always carry 10-bit samples, whatever the rendering depth.
constexpr int kDpxBitDepth = 10;

// The reason given when a writer failed without a failure of the system's.
const char* const kIncompleteFile = "the file could not be completed";

const char* const kMsgPat422 =
    "Error: Vanto/Keplo YCbCr 422 patterns must be rendered in YCbCr 422 (-c 709 -s 422).\n"
    "2020 will work but is not yet supported by Vanto or Keplo.";
const char* const kMsgRgbAxes = "Error: Vanto/Keplo RGB patterns must be rendered using RGB (-c RGB-headroom) 444";
const char* const kMsgXyzAxes = "Error: Vanto/Keplo XYZ patterns must be rendered using RGB 444 (-c RGB-headroom)";
const char* const kMsgYc4 = "Error: Vanto/Keplo yc4 files must be rendered in YCbCr 444 (-s 444)";

bool isYCbCr(const RunSettings& s)
{
    return ColourAxes::isYCbCr(s.axes);
}

bool acceptsYCbCr422(const RunSettings& s)
{
    return isYCbCr(s) && s.sampling == PatternGen::Sampling_422;
}

bool acceptsYCbCr444(const RunSettings& s)
{
    return isYCbCr(s) && s.sampling == PatternGen::Sampling_444;
}

// Studio-range R'G'B' or an R'G'B' HDR space (no Y'CbCr, nor R'G'B' that is
// always full range); the sampling is not looked at.
bool acceptsStudioRgb(const RunSettings& s)
{
    return ColourAxes::factsOf(s.axes).levels != ColourAxes::Levels::AlwaysFull && !isYCbCr(s);
}

const OutputKind kKinds[] = {
    {"tif", RenderForm::Tiff, FileWriter::Tiff, "TIFF", 0, false, nullptr, nullptr},
    {"pat", RenderForm::Instrument, FileWriter::PatternFile, nullptr, PatternFileFormat::YCbCr422, false,
     acceptsYCbCr422, kMsgPat422},
    {"rgb", RenderForm::Instrument, FileWriter::PatternFile, nullptr, PatternFileFormat::RGB, false, acceptsStudioRgb,
     kMsgRgbAxes},
    {"xyz", RenderForm::Instrument, FileWriter::PatternFile, nullptr, PatternFileFormat::RGB, true, acceptsStudioRgb,
     kMsgXyzAxes},
    {"yc4", RenderForm::Instrument, FileWriter::PatternFile, nullptr, PatternFileFormat::YCbCr444, false,
     acceptsYCbCr444, kMsgYc4},
    {"dpx", RenderForm::Image16, FileWriter::Dpx, "DPX", 0, false, nullptr, nullptr},
    {"y4m", RenderForm::Planar, FileWriter::Y4m, nullptr, 0, false, isYCbCr, nullptr},
    // The last row: also every other extension, and none.
    {"png", RenderForm::Image16, FileWriter::Png, "PNG", 0, false, nullptr, nullptr},
};
constexpr std::size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

// The file the run writes: standard output for "-", else the named file.
std::unique_ptr<OutputFile> outputFor(const char* name, const OutputOptions& options)
{
    if (options.descriptor >= 0) return std::make_unique<OutputFile>(name, options.descriptor);
    return std::make_unique<OutputFile>(name);
}

// The writer's own line, on standard output, and the reason on standard
// error, which reaches the user even when standard output is closed or taken.
int reportFailure(const OutputKind& kind, const char* name, const std::string& reason)
{
    std::printf("Failed to write %s file %s\n", kind.failureName, name);
    std::fflush(stdout);
    std::fprintf(stderr, "Error: %s: %s\n", name, reason.empty() ? kIncompleteFile : reason.c_str());
    return 1;
}

void printWritingLines(bool hasExtension, const std::string& extension, const char* name)
{
    if (hasExtension) {
        std::printf("writing to: %s\n", name);
        std::printf("Writing %s file\n", extension.c_str());
    }
}

// PNG and DPX: rows of the 16-bit form, rounded to the bit depth, stored as
// they are made.
int writeImage(const OutputKind& kind, const RunSettings& s, const OutputOptions& options, PatternSpec& pattern,
               bool hasExtension, const std::string& extension)
{
    const char* name = s.fileName;
    if (!hasExtension) {
        std::printf("Writing PNG file by default\n");
    }
    ImageRows rows(pattern, s.width, s.height);  // refuses what it cannot render before the file is touched
    rows.roundTo(s.bitDepth);

    const std::unique_ptr<OutputFile> target = outputFor(name, options);
    OutputFile& out = *target;
    bool ok = out.open();
    std::unique_ptr<PngRowWriter> png;
    std::unique_ptr<DPXWriter::DpxRowWriter> dpx;
    if (ok) {
        switch (kind.writer) {
        case FileWriter::Png: png = std::make_unique<PngRowWriter>(out.stream(), s.width, s.height); break;
        case FileWriter::Dpx: {
            const DPX::Metadata metadata;  // the card carries no creator, project or copyright text
            dpx = std::make_unique<DPXWriter::DpxRowWriter>(out.stream(), dpxFormatFor(s.axes, s.sampling), s.width,
                                                            s.height, kDpxBitDepth, name, metadata);
            break;
        }
        case FileWriter::Tiff:
        case FileWriter::PatternFile:
        case FileWriter::Y4m: throw std::logic_error("the 16-bit form feeds PNG and DPX writers only");
        }
        std::vector<uint16_t> row(static_cast<std::size_t>(s.width) * 4);
        for (int y = 0; y < s.height; ++y) {
            rows.next(row.data());
            if (png != nullptr) png->writeRow(row.data());
            if (dpx != nullptr) dpx->writeRow(row.data());
        }
    }
    printWritingLines(hasExtension, extension, name);
    if (png != nullptr) ok = png->finish() && ok;
    if (dpx != nullptr) ok = dpx->finish() && ok;
    ok = ok && out.commit();
    return ok ? 0 : reportFailure(kind, name, out.error());
}

int writeTiffFile(const OutputKind& kind, const RunSettings& s, const OutputOptions& options, PatternSpec& pattern,
                  bool hasExtension, const std::string& extension)
{
    const char* name = s.fileName;
    std::vector<std::pair<int, int>> repeats;
    TiffRows rows(pattern, s.width, s.height, repeats);

    const std::unique_ptr<OutputFile> target = outputFor(name, options);
    OutputFile& out = *target;
    bool ok = out.open();
    std::unique_ptr<TiffWriter::TiffRowWriter> writer;
    if (!ok) {
        TiffWriter::reportCannotCreate(name, out.error());
    } else {
        writer = std::make_unique<TiffWriter::TiffRowWriter>(out, isYCbCr(s), s.width, rows.rows(), repeats);
        std::vector<uint16_t> row(static_cast<std::size_t>(s.width) * 3);
        for (int r = 0; r < rows.rows(); ++r) {
            rows.next(row.data());
            writer->writeRow(row.data());
        }
    }
    printWritingLines(hasExtension, extension, name);
    if (writer != nullptr) ok = writer->finish() && ok;
    ok = ok && out.commit();
    return ok ? 0 : reportFailure(kind, name, out.error());
}

// Instrument files: blocks are stored as the lines are compressed; errors are
// raised as the file classes raise them.
int writePatternFile(const OutputKind& kind, const RunSettings& s, const OutputOptions& options, PatternSpec& pattern,
                     const std::string& extension)
{
    const char* name = s.fileName;
    if (s.bitDepth != kPatternFileBitDepth) {
        std::printf("%s", kPatternFileDepthRefusal);
        return 1;
    }
    VantoKeploPatternFile file;
    file.sampleFormat = kind.sampleFormat;
    if (!kind.acceptsCanvas(s)) {
        std::printf("%s", kind.refusal);
        return 1;
    }

    file.sampleFormat = kind.convertToXyz ? PatternFileFormat::XYZ : kind.sampleFormat;
    const std::unique_ptr<OutputFile> target = outputFor(name, options);
    OutputFile& out = *target;
    const bool opened = out.open();
    PatternFileWriter writer(file, opened ? &out : nullptr);
    std::vector<std::pair<int, int>> repeats;
    makeInstrumentBlocks(pattern, s.width, s.height, repeats, file, [&](CompressedLine* block) {
        std::unique_ptr<CompressedLine> owned(block);
        if (kind.convertToXyz) {
            owned->ConvertToXYZ(file.width == kStandardDefinitionWidth);
            Sample::b3Words = true;
        }
        writer.add(owned.release());
    });
    std::printf("Writing %s file\n", extension.c_str());
    if (!opened) {
        throw std::runtime_error(std::string("Can't save file: ") + name);
    }
    const bool saved = writer.finish();
    if (!out.commit() || !saved) {
        throw std::runtime_error(std::string("Problem writing ") + name + ": " + out.error());
    }
    return 0;
}

// The kinds that can carry the canvas of `s`, for a refusal: "a, b or c".
std::string kindsCarrying(const RunSettings& s)
{
    std::vector<std::string> names;
    for (const OutputKind& kind : kKinds) {
        if (kind.acceptsCanvas == nullptr || kind.acceptsCanvas(s)) names.emplace_back(kind.extension);
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    }
    return text;
}

bool isRegularFile(int descriptor)
{
    struct stat info;
    return fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

Y4m::Chroma chromaOf(PatternGen::sampling_e sampling)
{
    switch (sampling) {
    case PatternGen::Sampling_444: return Y4m::Chroma::Full444;
    case PatternGen::Sampling_422: return Y4m::Chroma::Half422;
    case PatternGen::Sampling_420: return Y4m::Chroma::Quarter420;
    }
    return Y4m::Chroma::Full444;
}

// `fullRangeCodes`: what the pattern says of its codes (known once it is set up).
Y4m::Header y4mHeaderOf(const RunSettings& s, const OutputOptions& options, bool fullRangeCodes)
{
    Y4m::Header header;
    header.width = s.width;
    header.height = s.height;
    header.frameRate = options.rate;
    header.fieldOrder = options.fieldOrder;
    header.pixelAspect = Y4m::pixelAspectOf(s.width, s.height, s.aspectWidth, s.aspectHeight);
    header.chroma = chromaOf(s.sampling);
    header.bitDepth = s.bitDepth;
    header.fullRange = fullRangeCodes;
    return header;
}

// Y4M: the frame's codes in planes, assembled once, then written as many
// times as the stream holds frames.
int writeY4m(const RunSettings& s, const OutputOptions& options, PatternSpec& pattern, bool hasExtension,
             const std::string& extension)
{
    const char* name = s.fileName;
    const Y4m::Header header = y4mHeaderOf(s, options, pattern.fullRangeCodes());
    PlanarRows rows(pattern, s.width, s.height, s.bitDepth);  // refuses what it cannot render first
    Y4mWriter writer(header);
    std::vector<uint16_t> luma(static_cast<std::size_t>(s.width));
    std::vector<uint16_t> cb(static_cast<std::size_t>(rows.chromaWidth()));
    std::vector<uint16_t> cr(cb.size());
    for (int y = 0; y < s.height; ++y) {
        if (rows.next(luma.data(), cb.data(), cr.data())) writer.addChroma(cb.data(), cr.data());
        writer.addLuma(luma.data());
    }

    const std::unique_ptr<OutputFile> target = outputFor(name, options);
    OutputFile& out = *target;
    if (!out.open()) {
        std::fprintf(stderr, "Error: %s: %s\n", name, out.error().c_str());
        return 1;
    }
    if (options.frames == 0 && isRegularFile(out.descriptor())) {
        std::fprintf(stderr, "Error: --frames 0 writes until the reader stops, and %s is a file\n", name);
        return 1;
    }
    printWritingLines(hasExtension, extension, name);
    const bool written = writer.write(out, options.frames);
    if (written && out.commit()) return 0;
    if (writer.readerStopped()) {
        std::fprintf(stderr, "Error: %s: the reader stopped after %" PRId64 " of %" PRId64 " frames\n", name,
                     writer.framesWritten(), options.frames);
    } else {
        std::fprintf(stderr, "Error: %s: %s\n", name, out.error().c_str());
    }
    return 1;
}

}  // namespace

const char* const kPatternFileDepthRefusal = "Error: Vanto/Keplo patterns need to be rendered in 12 bit (-b 12)";

DPX::eFormat dpxFormatFor(PatternGen::colorAxes_e axes, PatternGen::sampling_e sampling)
{
    switch (ColourAxes::factsOf(axes).dpx) {
    case ColourAxes::DpxLayout::Rgb: return DPX::kRGB;
    case ColourAxes::DpxLayout::YCbCr444Or422: return sampling == PatternGen::Sampling_444 ? DPX::kCbYCr : DPX::kCbYCrY;
    case ColourAxes::DpxLayout::YCbCr422: break;
    }
    return DPX::kCbYCrY;
}

std::string refusalOf(const OutputKind& kind, const RunSettings& s, const OutputOptions& options)
{
    if (options.frames != 1 && kind.form != RenderForm::Planar) {
        return "--frames " + std::to_string(options.frames) + ": a " + kind.extension +
               " file holds one frame; only y4m holds more";
    }
    switch (kind.form) {
    case RenderForm::Image16:
    case RenderForm::Tiff:
    case RenderForm::Instrument: return "";
    case RenderForm::Planar: break;
    }
    if (!kind.acceptsCanvas(s)) {
        return std::string(ColourAxes::factsOf(s.axes).keyword) +
               " is R'G'B', which a Y4M stream cannot carry (only Y'CbCr); write " + kindsCarrying(s);
    }
    // The longer of the two range words, as the pattern is not set up yet.
    const std::size_t headerBytes = Y4m::headerLine(y4mHeaderOf(s, options, false)).size();
    if (headerBytes > Y4m::kMaxHeaderBytes) {
        return "the Y4M header of these settings takes " + std::to_string(headerBytes) + " bytes, more than the " +
               std::to_string(Y4m::kMaxHeaderBytes) + " that readers take (a --rate of smaller numbers)";
    }
    return "";
}

const OutputKind* named(const std::string& name)
{
    for (const OutputKind& kind : kKinds) {
        if (name == kind.extension) return &kind;
    }
    return nullptr;
}

const OutputKind& forExtension(const std::string& extension)
{
    const OutputKind* kind = named(extension);
    return kind != nullptr ? *kind : kKinds[kKindCount - 1];
}

std::string kindNames()
{
    std::string names;
    for (const OutputKind& kind : kKinds) names += (names.empty() ? "" : ", ") + std::string(kind.extension);
    return names;
}

int renderAndWrite(const OutputKind& kind, const RunSettings& settings, const OutputOptions& options,
                   PatternSpec& pattern, bool hasExtension, const std::string& extension)
{
    switch (kind.form) {
    case RenderForm::Image16: return writeImage(kind, settings, options, pattern, hasExtension, extension);
    case RenderForm::Tiff: return writeTiffFile(kind, settings, options, pattern, hasExtension, extension);
    case RenderForm::Instrument: return writePatternFile(kind, settings, options, pattern, extension);
    case RenderForm::Planar: return writeY4m(settings, options, pattern, hasExtension, extension);
    }
    return 1;
}

}  // namespace OutputKinds
