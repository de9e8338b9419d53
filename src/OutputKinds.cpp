#include "OutputKinds.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"
#include "rows/ImageRows.h"
#include "rows/InstrumentBlocks.h"
#include "rows/TiffRows.h"
#include "tools/ColourAxes.h"
#include "writers/DpxRowWriter.h"
#include "writers/OutputFile.h"
#include "writers/PatternFileWriter.h"
#include "writers/PngRowWriter.h"
#include "writers/TiffRowWriter.h"
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
    {nullptr, RenderForm::Image16, FileWriter::Png, "PNG", 0, false, nullptr, nullptr},
};

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
int writeImage(const OutputKind& kind, const RunSettings& s, PatternSpec& pattern, bool hasExtension,
               const std::string& extension)
{
    const char* name = s.fileName;
    if (!hasExtension) {
        std::printf("Writing PNG file by default\n");
    }
    ImageRows rows(pattern, s.width, s.height);  // refuses what it cannot render before the file is touched
    rows.roundTo(s.bitDepth);

    OutputFile out(name);
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
        case FileWriter::PatternFile: throw std::logic_error("the 16-bit form feeds PNG and DPX writers only");
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

int writeTiffFile(const OutputKind& kind, const RunSettings& s, PatternSpec& pattern, bool hasExtension,
                  const std::string& extension)
{
    const char* name = s.fileName;
    std::vector<std::pair<int, int>> repeats;
    TiffRows rows(pattern, s.width, s.height, repeats);

    OutputFile out(name);
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
int writePatternFile(const OutputKind& kind, const RunSettings& s, PatternSpec& pattern, const std::string& extension)
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
    OutputFile out(name);
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

const OutputKind& forExtension(const std::string& extension)
{
    for (const OutputKind& kind : kKinds) {
        if (kind.extension == nullptr || extension == kind.extension) {
            return kind;
        }
    }
    return kKinds[sizeof kKinds / sizeof kKinds[0] - 1];
}

int renderAndWrite(const OutputKind& kind, const RunSettings& settings, PatternSpec& pattern, bool hasExtension,
                   const std::string& extension)
{
    switch (kind.form) {
    case RenderForm::Image16: return writeImage(kind, settings, pattern, hasExtension, extension);
    case RenderForm::Tiff: return writeTiffFile(kind, settings, pattern, hasExtension, extension);
    case RenderForm::Instrument: return writePatternFile(kind, settings, pattern, extension);
    }
    return 1;
}

}  // namespace OutputKinds
