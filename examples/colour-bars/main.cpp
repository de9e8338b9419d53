// colour-bars NAME [WxH]: renders the ColourBars pattern at 12 bits and writes
// it in the kind of file NAME's extension names: .tif a TIFF and anything else
// a PNG, both full-range R'G'B'; .pat an instrument pattern file, which holds
// Rec. 709 Y'CbCr 4:2:2.
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "ColourBars.h"
#include "tools/SampleLayout.h"
#include "tools/rounding.h"
#include "writers/writePng.h"
#include "writers/writeTiff.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr int kBitDepth = 12;  // instrument pattern files need 12
constexpr int kAspectWidth = 16, kAspectHeight = 9;
constexpr int kDefaultWidth = 1920, kDefaultHeight = 1080;
constexpr int kImageSamples = SampleLayout::kImageSamplesPerPixel;  // Cr, Y', Cb, alpha
constexpr int kTiffSamples = SampleLayout::kTiffSamplesPerPixel;    // R, G, B or Y', Cb, Cr

// The image files are made to be looked at; the instruments take Y'CbCr.
struct Canvas {
    PatternGen::colorAxes_e axes;
    PatternGen::sampling_e sampling;
    bool yCbCr;
};
constexpr Canvas kImageCanvas = {PatternGen::Colour_RGB, PatternGen::Sampling_444, false};
constexpr Canvas kInstrumentCanvas = {PatternGen::Colour_YCbCr_709, PatternGen::Sampling_422, true};

std::string extensionOf(const std::string& name)
{
    const std::string::size_type dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// Each output kind has its own form of run_body and its own writer.
bool writePng(ColourBars& pattern, int width, int height, const char* name)
{
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    std::vector<unsigned short> samples(pixels * kImageSamples);
    pattern.run_body(0, width, height, samples.data());
    Rounding::roundSamples(samples.data(), pixels, kImageCanvas.axes, kBitDepth);
    return PngWriter::writePng(samples.data(), kImageCanvas.yCbCr, width, height, kBitDepth, name) == 0;
}

bool writeTiff(ColourBars& pattern, int width, int height, const char* name)
{
    std::vector<unsigned short> samples(static_cast<std::size_t>(width) * height * kTiffSamples);
    std::vector<std::pair<int, int>> repeats;
    int rows = height;  // a pattern that repeats lines stores fewer rows
    pattern.run_body(0, width, rows, repeats, reinterpret_cast<unsigned char*>(samples.data()));
    return TiffWriter::writeTiff(reinterpret_cast<unsigned char*>(samples.data()), kImageCanvas.yCbCr, width, rows,
                                 kBitDepth, repeats, name) == 0;
}

bool writePatternFile(ColourBars& pattern, int width, int height, const char* name)
{
    VantoKeploPatternFile file;
    file.sampleFormat = PatternFileFormat::YCbCr422;
    std::vector<std::pair<int, int>> repeats;
    pattern.run_body(0, width, height, repeats, file);
    return file.Save(name);
}

}  // namespace

int main(int argc, char** argv)
{
    int width = kDefaultWidth, height = kDefaultHeight;
    if (argc < 2 || argc > 3 || (argc == 3 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2)) {
        std::fprintf(stderr, "usage: colour-bars NAME.png|NAME.tif|NAME.pat [WxH]\n");
        return 2;
    }
    const char* name = argv[1];
    const std::string ext = extensionOf(name);
    const Canvas& canvas = ext == "pat" ? kInstrumentCanvas : kImageCanvas;

    ColourBars pattern;
    const bool fullRange = false;
    const int commandLineValue = 0;
    const bool skipLineEndShaping = false;
    const std::string fontDirectory;  // empty: the system's fonts
    pattern.init(width, height, kAspectWidth, kAspectHeight, canvas.axes, canvas.sampling, kBitDepth, fullRange,
                 PatternGen::Quadrant_None, commandLineValue, skipLineEndShaping, fontDirectory);
    pattern.render_text(width, height);

    try {
        const bool written = ext == "tif"   ? writeTiff(pattern, width, height, name)
                             : ext == "pat" ? writePatternFile(pattern, width, height, name)
                                            : writePng(pattern, width, height, name);
        if (!written) {
            std::fprintf(stderr, "colour-bars: could not write %s\n", name);
            return 1;
        }
    } catch (const std::exception& e) {  // renderers and the pattern-file writer throw
        std::fprintf(stderr, "colour-bars: %s\n", e.what());
        return 1;
    }
    return 0;
}
