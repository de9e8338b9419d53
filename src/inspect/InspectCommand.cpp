#include "inspect/InspectCommand.h"

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "OutputKinds.h"
#include "inspect/InspectReport.h"
#include "inspect/InspectRequest.h"
#include "inspect/InspectedFileReader.h"
#include "inspect/PreviewDecoder.h"
#include "inspect/PreviewImage.h"
#include "inspect/ReferenceRender.h"
#include "inspect/RegionComparison.h"
#include "inspect/SignalModel.h"
#include "inspect/UnreadableFile.h"
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

class CannotDo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Applies what the command line says about the code depth; returns how the depth was found.
const char* settleCodeDepth(InspectedFile& file, const CardOptions& options)
{
    CodeFrame& frame = file.frame;
    if (file.kind == FileKind::Dpx) return "DPX data";
    if (file.kind == FileKind::PatternFile) {
        if (options.axes && file.layout == ColourLayout::YCbCr) {
            frame.codeBits = ColourAxes::isHdrYCbCr(*options.axes) ? kPatternFileHdrCodeBits : kPatternFileBitDepth;
            frame.storedBits = frame.codeBits;
        }
        return "";
    }
    if (options.bitDepth && *options.bitDepth >= 1 && *options.bitDepth <= frame.storedBits) {
        frame.codeBits = *options.bitDepth;
        return "from -b";
    }
    return "the low bits of every sample are zero";
}

// The settings a comparison renders with: the command line's, else what the file says, else pm5544's defaults.
RunSettings settingsFor(const InspectedFile& file, const CardOptions& options, const SignalModel& model)
{
    RunSettings s;
    s.width = file.frame.width;
    s.height = file.frame.height;
    s.sampling = file.sampling;
    // A PNG's codes show the depth it was rounded to; other kinds do not record it.
    if (file.kind == FileKind::Png) s.bitDepth = file.frame.codeBits;
    options.applyTo(s);
    s.axes = model.axes;
    return s;
}

// The descriptor pm5544 chooses for these settings.
int dpxDescriptorFor(const RunSettings& s)
{
    return OutputKinds::dpxFormatFor(s.axes, s.sampling);
}

void writePreview(const PreviewImage& image, const std::string& path, const char* what)
{
    std::string error;
    if (!image.writePng(path, error))
        throw CannotDo(std::string("cannot write the ") + what + " " + path + ": " + error);
}

// Compares the file with the card; true when they are the same.
bool compare(const InspectedFile& file, const InspectRequest& request, const SignalModel& model)
{
    if (file.frame.width == 0) {
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
    ReferenceRender reference;
    try {
        reference = ReferenceRender::of(file, s);
    } catch (const std::exception& e) {
        throw CannotDo(std::string("cannot render the card: ") + e.what());
    }
    const CodeFrame& ref = reference.frame;
    // A file cut short may hold fewer lines than the card: those are counted as not held.
    if (ref.width != file.frame.width || ref.height < file.frame.height) {
        std::printf("result: the file is %dx%d, the card with these settings %dx%d\n", file.frame.width,
                    file.frame.height, ref.width, ref.height);
        return false;
    }
    const RegionComparison comparison(file.frame, ref, *reference.card);
    std::printf("differences in %d-bit code values: the largest, and the mean over the differing samples\n",
                file.frame.codeBits);
    const char* names[RegionComparison::kMaxComponents];
    for (int c = 0; c < RegionComparison::kMaxComponents; ++c) names[c] = model.componentName(c);
    comparison.print(stdout, names, *reference.card);
    const long long differing = comparison.total().differing;
    const long long held = comparison.total().pixels;
    if (differing == 0 && comparison.notStored() == 0) {
        std::printf("result: identical\n");
    } else if (differing == 0) {
        std::printf("result: the %lld samples the file holds are identical; it lacks %lld\n", held,
                    comparison.notStored());
    } else {
        std::printf("result: %lld of %lld samples differ", differing, held);
        if (comparison.notStored() > 0) std::printf("; the file lacks %lld more", comparison.notStored());
        std::printf("\n");
    }
    if (!request.diff.empty()) {
        const PreviewImage shown = PreviewImage::of(ref, PreviewDecoder(model, ref.codeBits));
        writePreview(comparison.diffImage(shown), request.diff, "difference picture");
    }
    return comparison.identical();
}

int inspect(const InspectRequest& request)
{
    InspectedFile file = readInspectedFile(request.file);
    const char* depthBasis = settleCodeDepth(file, request.canvas);
    const SignalModel model = SignalModel::choose(file, request.canvas);
    int status = kFine;
    if (file.damaged()) {
        status = kDamagedOrDifferent;
        for (std::size_t i = 0; i < file.problems.size() && i < kDamageLinesOnStderr; ++i) {
            std::fprintf(stderr, "pm5544-inspect: %s: damaged: %s\n", file.path.c_str(), file.problems[i].c_str());
        }
    }
    const bool action = request.at || !request.preview.empty() || request.compare;
    if (!action) InspectReport::printSummary(stdout, file, model, depthBasis);
    if (request.at) {
        const CodeFrame& frame = file.frame;
        if (frame.width > 0 && !frame.contains(request.atX, request.atY)) {
            throw CannotDo("pixel " + std::to_string(request.atX) + "," + std::to_string(request.atY) +
                           " is outside the " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                           " picture");
        }
        InspectReport::printPixel(stdout, file, model, request.atX, request.atY);
    }
    if (!request.preview.empty() && (file.frame.presentWidth == 0 || file.frame.presentHeight == 0)) {
        // Only a damaged file holds no picture at all; its damage has been reported.
        std::fprintf(stderr, "pm5544-inspect: %s: no picture to preview\n", file.path.c_str());
    } else if (!request.preview.empty()) {
        writePreview(PreviewImage::of(file.frame, PreviewDecoder(model, file.frame.codeBits)), request.preview,
                     "preview");
    }
    if (request.compare && !compare(file, request, model)) status = kDamagedOrDifferent;
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
    try {
        return inspect(request);
    } catch (const UnreadableFile& e) {
        std::fprintf(stderr, "pm5544-inspect: %s: %s\n", request.file.c_str(), e.what());
    } catch (const CannotDo& e) {
        std::fprintf(stderr, "pm5544-inspect: %s: %s\n", request.file.c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "pm5544-inspect: %s: not enough memory\n", request.file.c_str());
    }
    std::fflush(stdout);
    return kCannot;
}

}  // namespace InspectCommand
