#include "inspect/ReferenceRender.h"

#include <array>
#include <stdexcept>
#include <utility>
#include <vector>

#include "inspect/DpxLayout.h"
#include "inspect/InstrumentFileExpansion.h"
#include "inspect/QuietStdout.h"
#include "inspect/TiffFileReader.h"
#include "tools/ColourAxes.h"
#include "tools/ColourKeywords.h"
#include "tools/SampleLayout.h"
#include "tools/rounding.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr int kRenderSamples = SampleLayout::kImageSamplesPerPixel;  // Cr or R, Y' or G, Cb or B, alpha
constexpr int kTiffSamples = SampleLayout::kTiffSamplesPerPixel;
constexpr int kStoredBits = 16;

// The render buffer of the image outputs, rounded to the bit depth as the driver does for PNG and DPX.
std::vector<uint16_t> roundedImage(PhilipsPm5544Spec& card, const RunSettings& s)
{
    const std::size_t pixels = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
    std::vector<uint16_t> buffer(pixels * kRenderSamples);
    card.run_body(0, s.width, s.height, buffer.data());
    Rounding::roundSamples(buffer.data(), pixels, s.axes, s.bitDepth);
    return buffer;
}

CodeFrame tiffFrame(PhilipsPm5544Spec& card, const RunSettings& s)
{
    std::vector<uint16_t> buffer(static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height) * kTiffSamples);
    std::vector<std::pair<int, int>> repeats;
    int rows = s.height;
    card.run_body(0, s.width, rows, repeats, reinterpret_cast<unsigned char*>(buffer.data()));
    CodeFrame frame(s.width, rows, kTiffSamples, kStoredBits);
    const std::array<int, 3> order = tiffStoredComponents(ColourAxes::isYCbCr(s.axes));
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const uint16_t* pixel = &buffer[(static_cast<std::size_t>(y) * s.width + x) * kTiffSamples];
            for (int i = 0; i < kTiffSamples; ++i) frame.stored(x, y, order[static_cast<std::size_t>(i)]) = pixel[i];
        }
    }
    return frame;
}

// The layout checks of the driver for instrument files.
void checkPatternFileSettings(int format, const RunSettings& s)
{
    if (s.bitDepth != kPatternFileBitDepth) throw std::runtime_error("pattern files are rendered at -b 12");
    const bool yCbCr = ColourAxes::isYCbCr(s.axes);
    const bool fits = format == PatternFileFormat::YCbCr422 ? yCbCr && s.sampling != PatternGen::Sampling_444
                      : format == PatternFileFormat::YCbCr444
                          ? yCbCr && s.sampling == PatternGen::Sampling_444
                          : !yCbCr && ColourAxes::factsOf(s.axes).levels != ColourAxes::Levels::AlwaysFull;
    if (!fits) {
        throw std::runtime_error(std::string("pm5544 makes no pattern file of this format from -c ") +
                                 ColourKeywords::textOf(s.axes) + " -s " + std::to_string(s.sampling));
    }
}

CodeFrame patternFrame(PhilipsPm5544Spec& card, const InspectedFile& file, const RunSettings& s)
{
    VantoKeploPatternFile pattern;
    std::vector<std::pair<int, int>> repeats;
    card.run_body(0, s.width, s.height, repeats, pattern);
    if (file.patternFormat == PatternFileFormat::XYZ) pattern.ConvertToXYZ();
    std::vector<std::string> problems;
    CodeFrame frame = InstrumentFileExpansion::expand(pattern, file.patternFormat == PatternFileFormat::YCbCr422,
                                                      file.frame.codeBits, problems);
    if (!problems.empty()) throw std::runtime_error("the rendered pattern file does not add up: " + problems.front());
    return frame;
}

}  // namespace

ReferenceRender ReferenceRender::of(const InspectedFile& file, const RunSettings& s)
{
    if (file.kind == FileKind::PatternFile) checkPatternFileSettings(file.patternFormat, s);
    ReferenceRender reference;
    reference.card = std::make_unique<PhilipsPm5544Spec>();
    PhilipsPm5544Spec& card = *reference.card;
    card.renderLinesOnDemand = true;  // as pm5544 makes it: no whole frame of samples beside the file's
    QuietStdout quiet;
    card.init(s.width, s.height, s.aspectWidth, s.aspectHeight, s.axes, s.sampling, s.bitDepth, s.fullRange,
              PatternGen::Quadrant_None, 0, false, "");
    card.render_text(s.width, s.height);

    switch (file.kind) {
    case FileKind::Png:
        reference.frame = CodeFrame(s.width, 0, kRenderSamples, kStoredBits);
        reference.frame.height = s.height;
        reference.frame.presentHeight = s.height;
        reference.frame.samples = roundedImage(card, s);  // the render buffer is the PNG's frame
        break;
    case FileKind::Tiff: reference.frame = tiffFrame(card, s); break;
    case FileKind::Dpx: {
        const std::vector<uint16_t> buffer = roundedImage(card, s);
        reference.frame = DpxLayout::frameOf(buffer.data(), s.width, s.height, file.dpxDescriptor);
        break;
    }
    case FileKind::PatternFile: reference.frame = patternFrame(card, file, s); break;
    }
    reference.frame.codeBits = file.frame.codeBits;
    return reference;
}
