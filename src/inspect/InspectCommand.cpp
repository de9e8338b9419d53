#include "inspect/InspectCommand.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "OutputKinds.h"
#include "inspect/CodeStats.h"
#include "inspect/HeatScale.h"
#include "inspect/InputBytes.h"
#include "inspect/InspectReport.h"
#include "inspect/InspectRequest.h"
#include "inspect/InspectedFile.h"
#include "inspect/PreviewDecoder.h"
#include "inspect/PreviewPng.h"
#include "inspect/ReferenceRows.h"
#include "inspect/RegionComparison.h"
#include "inspect/RowsReadAhead.h"
#include "inspect/SignalModel.h"
#include "inspect/UnreadableFile.h"
#include "inspect/measure/MeasureCommand.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "settings/CardOptions.h"
#include "settings/RunSettings.h"
#include "settings/SettingsRefusal.h"
#include "tools/ColourAxes.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr int kFine = 0;
constexpr int kDamagedOrDifferent = 1;
constexpr int kCannot = 2;
constexpr std::size_t kDamageLinesOnStderr = 5;
constexpr int kDimDivisor = 4;

class CannotDo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads every row once: the damage the rows show, how many the file holds,
// and what the codes say of the depth and sampling the file does not record.
// A pattern file has told all that while its blocks were counted: its lines,
// which a few bytes can make many, are not walked for nothing.
void readWhole(OpenedFile& opened)
{
    InspectedFile& file = opened.file;
    if (file.kind == FileKind::PatternFile) return;
    FileRows& rows = *opened.rows;
    CodeStats stats(rows.shape());
    std::vector<uint16_t> row(rows.shape().rowSamples());
    rows.restart();
    while (rows.next(row.data())) stats.add(row.data());
    file.problems.insert(file.problems.end(), rows.problems().begin(), rows.problems().end());
    rows.setPresentHeight(stats.rows());
    if (depthShownByCodes(file.kind)) rows.setCodeBits(stats.narrowestCodeBits());
    file.shape = rows.shape();
    const PatternGen::sampling_e apparent = stats.apparentSampling();
    if (file.kind == FileKind::Png) {
        file.sampling = apparent;
        if (apparent != PatternGen::Sampling_444) {
            file.field("red and blue",
                       std::string("each pair of pixels") + (apparent == PatternGen::Sampling_420 ? " and lines" : "") +
                           " shares them: rendered " + (apparent == PatternGen::Sampling_420 ? "4:2:0" : "4:2:2"));
        }
    } else if (file.kind == FileKind::Dpx && file.chromaPairs) {
        file.sampling = apparent;
        if (apparent == PatternGen::Sampling_420) {
            file.field("chroma", "every odd line repeats the line above: rendered 4:2:0");
        }
    }
}

// Applies what the command line says about the code depth; returns how the depth was found.
const char* settleCodeDepth(InspectedFile& file, const CardOptions& options)
{
    FrameShape& shape = file.shape;
    switch (file.kind) {
    case FileKind::Dpx: return "DPX data";
    case FileKind::PatternFile:
        if (options.axes && file.layout == ColourLayout::YCbCr) {
            shape.codeBits = ColourAxes::isHdrYCbCr(*options.axes) ? kPatternFileHdrCodeBits : kPatternFileBitDepth;
            shape.storedBits = shape.codeBits;
        }
        return "";
    case FileKind::Png:
    case FileKind::Tiff:
    case FileKind::Y4m: break;
    }
    if (options.bitDepth && *options.bitDepth <= shape.storedBits) {
        shape.codeBits = *options.bitDepth;
        return "from -b";
    }
    return "the low bits of every sample are zero";
}

// The settings a comparison renders with: the command line's, else what the file says, else pm5544's defaults.
RunSettings settingsFor(const InspectedFile& file, const CardOptions& options, const SignalModel& model)
{
    RunSettings s;
    s.width = file.shape.width;
    s.height = file.shape.height;
    s.sampling = file.sampling;
    // A PNG's and a Y4M's codes show the depth they were rounded to; other kinds do not record it.
    if (renderedDepthShownByCodes(file.kind)) s.bitDepth = file.shape.codeBits;
    if (file.displayAspectWidth > 0) {
        s.aspectWidth = file.displayAspectWidth;
        s.aspectHeight = file.displayAspectHeight;
    }
    options.applyTo(s);
    s.axes = model.axes;
    s.fullRange = model.fullRange;
    return s;
}

// The descriptor pm5544 chooses for these settings.
int dpxDescriptorFor(const RunSettings& s)
{
    return OutputKinds::dpxFormatFor(s.axes, s.sampling);
}

// The rows up to row y; false when the file does not hold it.
bool readRow(FileRows& rows, int y, std::vector<uint16_t>& row)
{
    rows.restart();
    for (int i = 0; i <= y; ++i) {
        if (!rows.next(row.data())) return false;
    }
    return true;
}

void printPixel(const OpenedFile& opened, const SignalModel& model, int x, int y)
{
    const InspectedFile& file = opened.file;
    if (file.shape.width > 0 && !file.shape.contains(x, y)) {
        throw CannotDo("pixel " + std::to_string(x) + "," + std::to_string(y) + " is outside the " +
                       std::to_string(file.shape.width) + "x" + std::to_string(file.shape.height) + " picture");
    }
    std::vector<uint16_t> row(file.shape.rowSamples());
    const bool held = opened.rows != nullptr && file.shape.present(x, y) && readRow(*opened.rows, y, row);
    InspectReport::printPixel(stdout, file, model, x, y,
                              held ? &row[static_cast<std::size_t>(x) * file.shape.components] : nullptr);
}

void finish(PreviewPng& png, const std::string& path, const char* what)
{
    std::string error;
    if (!png.finish(error)) throw CannotDo(std::string("cannot write the ") + what + " " + path + ": " + error);
}

void writePreview(const OpenedFile& opened, const SignalModel& model, const std::string& path)
{
    const FrameShape& shape = opened.file.shape;
    if (opened.rows == nullptr || shape.presentHeight == 0) {
        // Only a damaged file holds no picture at all; its damage has been reported.
        InspectReport::printError(opened.file.path, "no picture to preview");
        return;
    }
    // The lines the file holds: a header's claim costs no time.
    PreviewPng png(path, shape.width, shape.presentHeight);
    const PreviewDecoder decode(model, shape.codeBits);
    std::vector<uint16_t> row(shape.rowSamples());
    std::vector<uint8_t> rgb(static_cast<std::size_t>(shape.width) * 3);
    opened.rows->restart();
    for (int y = 0; y < shape.presentHeight && opened.rows->next(row.data()); ++y) {
        decode.decodeRow(shape, row.data(), rgb.data());
        png.writeRow(rgb.data());
    }
    finish(png, path, "preview");
}

// The reference dimmed to a quarter, with every differing pixel on the heat
// scale from the smallest difference counted, one code above the tolerance, to
// the largest.
void markDifferences(const RegionComparison& comparison, int tolerance, std::vector<uint8_t>& rgb)
{
    const double top = comparison.largestDifference() - tolerance;
    for (std::size_t x = 0; x < rgb.size() / 3; ++x) {
        uint8_t* p = &rgb[x * 3];
        const int difference = comparison.difference(static_cast<int>(x));
        if (difference != 0) {
            const Rgb8 c = HeatScale::colourAt(HeatScale::positionOf(difference - tolerance, top));
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        } else {
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] / kDimDivisor);
        }
    }
}

// The difference picture: a second pass over both, now that the top of the
// heat scale is known. Lines the file does not hold are left black.
void writeDifferences(FileRows& file, ReferenceRows& reference, RegionComparison& comparison, int lines,
                      const SignalModel& model, const InspectRequest& request)
{
    const FrameShape& shape = reference.shape();
    PreviewPng png(request.diff, shape.width, shape.height);
    const PreviewDecoder decode(model, shape.codeBits);
    std::vector<uint16_t> fileRow(file.shape().rowSamples());
    std::vector<uint16_t> referenceRow(shape.rowSamples());
    std::vector<uint8_t> rgb(static_cast<std::size_t>(shape.width) * 3);
    RowsReadAhead fileRows(file, lines);
    reference.restart();
    for (int y = 0; y < lines && fileRows.next(fileRow.data()) && reference.next(referenceRow.data()); ++y) {
        comparison.markRow(fileRow.data(), referenceRow.data());
        decode.decodeRow(shape, referenceRow.data(), rgb.data());
        markDifferences(comparison, request.tolerance, rgb);
        png.writeRow(rgb.data());
    }
    finish(png, request.diff, "difference picture");
    if (comparison.total().differing > 0) {
        const int smallest = request.tolerance + 1;
        const int largest = comparison.largestDifference();
        std::printf(
            "difference picture: %s: the card dimmed, each differing pixel on a heat scale from purple "
            "(%d code%s) to pale yellow (%d code%s)\n",
            request.diff.c_str(), smallest, smallest == 1 ? "" : "s", largest, largest == 1 ? "" : "s");
    }
}

// Compares the file with the card; true when they are the same.
bool compare(const OpenedFile& opened, const InspectRequest& request, const SignalModel& model)
{
    const InspectedFile& file = opened.file;
    if (opened.rows == nullptr || file.shape.width == 0) {
        std::printf("result: %s holds no picture to compare\n", file.path.c_str());
        return false;
    }
    const RunSettings s = settingsFor(file, request.canvas, model);
    const std::string refusal = refusalOf(s, PhilipsPm5544Spec());
    if (!refusal.empty()) throw CannotDo("pm5544 would not render with " + asOptions(s) + ": " + refusal);
    std::printf("compare %s with the card rendered with %s\n", file.path.c_str(), asOptions(s).c_str());
    if (file.kind == FileKind::Dpx && dpxDescriptorFor(s) != file.dpxDescriptor) {
        std::printf("note: pm5544 writes descriptor %d, not %d, for these settings\n", dpxDescriptorFor(s),
                    file.dpxDescriptor);
    }
    // A file cut short may hold fewer lines than the card: those are counted as not held.
    if (s.width != file.shape.width || s.height < file.shape.height) {
        std::printf("result: the file is %dx%d, the card with these settings %dx%d\n", file.shape.width,
                    file.shape.height, s.width, s.height);
        return false;
    }
    const int lines = std::min(file.shape.presentHeight, s.height);
    std::unique_ptr<ReferenceRows> reference;
    try {
        reference = std::make_unique<ReferenceRows>(file, s, lines);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw CannotDo(std::string("cannot render the card: ") + e.what());
    }
    RegionComparison comparison(file.shape, reference->shape(), reference->card(), request.tolerance);
    std::vector<uint16_t> fileRow(file.shape.rowSamples());
    std::vector<uint16_t> referenceRow(reference->shape().rowSamples());
    int y = 0;
    {
        RowsReadAhead fileRows(*opened.rows, lines);
        for (; y < lines && fileRows.next(fileRow.data()) && reference->next(referenceRow.data()); ++y) {
            comparison.addRow(y, fileRow.data(), referenceRow.data());
        }
    }
    comparison.addMissingRows(s.height - y);

    std::printf("differences in %d-bit code values: the largest, and the mean over the differing samples\n",
                file.shape.codeBits);
    if (request.tolerance > 0) std::printf("samples within %d codes of the card count as equal\n", request.tolerance);
    const char* names[RegionComparison::kMaxComponents];
    for (int c = 0; c < RegionComparison::kMaxComponents; ++c) names[c] = model.componentName(c);
    comparison.print(stdout, names, reference->card());
    const long long differing = comparison.total().differing;
    const long long held = comparison.total().pixels;
    if (differing == 0 && comparison.notStored() == 0 && request.tolerance > 0) {
        std::printf("result: identical within %d codes\n", request.tolerance);
    } else if (differing == 0 && comparison.notStored() == 0) {
        std::printf("result: identical\n");
    } else if (differing == 0) {
        std::printf("result: the %lld samples the file holds are identical; it lacks %lld\n", held,
                    comparison.notStored());
    } else {
        std::printf("result: %lld of %lld samples differ", differing, held);
        if (comparison.notStored() > 0) std::printf("; the file lacks %lld more", comparison.notStored());
        std::printf("\n");
    }
    if (!request.diff.empty()) writeDifferences(*opened.rows, *reference, comparison, y, model, request);
    return comparison.identical();
}

// Measures the file against the card; true when every value is within its limits.
bool measure(const OpenedFile& opened, const InspectRequest& request, const SignalModel& model)
{
    const InspectedFile& file = opened.file;
    if (opened.rows == nullptr || file.shape.presentWidth == 0 || file.shape.presentHeight == 0) {
        throw CannotDo("no picture to measure");
    }
    // Lines or samples a damaged file does not hold would be measured as black.
    if (file.shape.presentHeight < file.shape.height || file.shape.presentWidth < file.shape.width) {
        throw CannotDo("the file holds " + std::to_string(file.shape.presentWidth) + "x" +
                       std::to_string(file.shape.presentHeight) + " of its " + std::to_string(file.shape.width) + "x" +
                       std::to_string(file.shape.height) + " samples: only a whole picture is measured");
    }
    RunSettings s = settingsFor(file, request.canvas, model);
    std::string note;
    if (s.width != file.shape.width || s.height != file.shape.height) {
        note = "the capture is " + std::to_string(file.shape.width) + "x" + std::to_string(file.shape.height) +
               ": measured against the card rendered at that size, not at -d " + std::to_string(s.width) + "x" +
               std::to_string(s.height);
        s.width = file.shape.width;
        s.height = file.shape.height;
    }
    const std::string refusal = refusalOf(s, PhilipsPm5544Spec());
    if (!refusal.empty()) throw CannotDo("pm5544 would not render with " + asOptions(s) + ": " + refusal);
    try {
        return runMeasure(file, *opened.rows, s, request.measureOptions, note);
    } catch (const CannotMeasure& e) {
        throw CannotDo(e.what());
    }
}

// An output that is the input would be replaced before (or while) it is read.
void refuseOutputOverInput(const InputBytes& input, const InspectRequest& request)
{
    const std::pair<const char*, const std::string*> outputs[] = {{"--preview", &request.preview},
                                                                  {"--diff", &request.diff},
                                                                  {"--json", &request.measureOptions.json},
                                                                  {"--report", &request.measureOptions.report}};
    for (const auto& [option, path] : outputs) {
        const bool toStdout = path == &request.measureOptions.json && *path == "-";
        if (!path->empty() && !toStdout && input.isSameFileAs(*path)) {
            throw CannotDo(std::string(option) + " " + *path + " is the file being inspected; name another");
        }
    }
}

// pm5544 renders no other depth, and codes are read at none other: refused in its words.
void refuseBitDepth(const CardOptions& options)
{
    RunSettings s;
    options.applyTo(s);
    if (bitDepthRefused(s)) throw CannotDo(refusalOf(s, PhilipsPm5544Spec()));
}

int inspect(const InspectRequest& request)
{
    refuseBitDepth(request.canvas);
    const InputBytes input(request.file);
    refuseOutputOverInput(input, request);
    OpenedFile opened = openInspectedFile(input, request.frame);
    InspectedFile& file = opened.file;
    if (opened.rows != nullptr) readWhole(opened);
    const char* depthBasis = settleCodeDepth(file, request.canvas);
    if (opened.rows != nullptr) opened.rows->setCodeBits(file.shape.codeBits);
    const SignalModel model = SignalModel::choose(file, request.canvas);
    int status = kFine;
    if (file.damaged()) {
        status = kDamagedOrDifferent;
        for (std::size_t i = 0; i < file.problems.size() && i < kDamageLinesOnStderr; ++i) {
            InspectReport::printError(file.path, "damaged: " + file.problems[i]);
        }
    }
    const bool action = request.at || !request.preview.empty() || request.compare || request.measure;
    if (!action) InspectReport::printSummary(stdout, file, model, depthBasis);
    if (request.at) printPixel(opened, model, request.atX, request.atY);
    if (!request.preview.empty()) writePreview(opened, model, request.preview);
    if (request.compare && !compare(opened, request, model)) status = kDamagedOrDifferent;
    if (request.measure && !measure(opened, request, model)) status = kDamagedOrDifferent;
    return status;
}

}  // namespace

namespace InspectCommand {

int run(int argc, char** argv)
{
    InspectRequest request;
    try {
        request = InspectRequest::parse(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "pm5544-inspect: %s\n%s", e.what(), kInspectUsage);
        return kCannot;
    }
    if (request.help) {
        std::printf("%s", kInspectUsage);
        return kFine;
    }
    const std::string name = request.file == "-" ? "standard input" : request.file;
    try {
        return inspect(request);
    } catch (const UnreadableFile& e) {
        std::fflush(stdout);
        InspectReport::printError(name, e.what());
    } catch (const CannotDo& e) {
        std::fflush(stdout);
        InspectReport::printError(name, e.what());
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        InspectReport::printError(name, "not enough memory");
    }
    return kCannot;
}

}  // namespace InspectCommand
