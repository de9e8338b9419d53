// The instrument pattern file, fuzzed: a canvas of random size, axes, depth,
// range and sampling whose samples (and line-repeat list) come from the input
// is compressed by the instrument form and written twice, by
// VantoKeploPatternFile::Save after run_body and by PatternFileWriter as
// makeInstrumentBlocks hands the blocks over, each with or without the X'Y'Z'
// conversion. Errors raised as std::runtime_error are the refusals of the file
// classes and are expected. When both ways succeed for the same block list
// (block mode 1) the two files must be identical, byte for byte.
//
// The pattern's samples are on axes the renderer can convert to the canvas
// axes (see convertible()): any other pair is a programming error that the
// colour model stops with an assertion, not an input to test.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "FuzzScratch.h"
#include "patterns/PatternWrapper.h"
#include "rows/InstrumentBlocks.h"
#include "tools/ColourAxes.h"
#include "writers/OutputFile.h"
#include "writers/PatternFileWriter.h"
#include "writers/writeVantoKeplo.h"

namespace {

using PatternGen::colorAxes_e;

constexpr int kAxesCount = PatternGen::Colour_Axes_Count;
constexpr int kMaxColours = 12;
constexpr int kMaxRepeats = 6;
constexpr int kStandardDefinitionWidth = 720;

bool between(colorAxes_e a, colorAxes_e first, colorAxes_e last)
{
    return a >= first && a <= last;
}

// The conversions Pixel::convertTo performs; every other pair asserts.
bool convertible(colorAxes_e from, colorAxes_e to)
{
    if (from == to) return true;
    switch (from) {
    case PatternGen::Colour_RGB:
    case PatternGen::Colour_RGB_219: return true;
    case PatternGen::Colour_YCbCr_601:
    case PatternGen::Colour_YCbCr_709: return to != PatternGen::Colour_YCbCr_601 && to != PatternGen::Colour_YCbCr_709;
    case PatternGen::Colour_YCbCr_2020:
        return between(to, PatternGen::Colour_RGB, PatternGen::Colour_YCbCr_PQ) || to == PatternGen::Colour_YCbCr_HLG ||
               between(to, PatternGen::Colour_YCbCr_2020, PatternGen::Colour_YCbCr_SLog3) ||
               to == PatternGen::Colour_YCbCr_SLog3_Live;
    default: break;
    }
    const ColourAxes::Facts& facts = ColourAxes::factsOf(from);
    if (ColourAxes::isHdrYCbCr(from)) return to == PatternGen::Colour_RGB || to == facts.partner;
    if (ColourAxes::isHdrRgb(from) && !facts.mapped) {
        return to == PatternGen::Colour_RGB || to == PatternGen::Colour_RGB_219 || to == facts.partner;
    }
    return false;  // mapped R'G'B' HDR converts to nothing else
}

// A canvas whose samples are runs of colours from a palette, as the input says.
class FuzzPattern : public PatternSpec {
public:
    std::vector<Pixel> palette;
    std::vector<uint8_t> samples;  // palette indices, line after line
    std::vector<std::pair<int, int>> lineRepeats;

    void setup() override {}

    Pixel body(int x, int y) override
    {
        const std::size_t at =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
        return palette[samples[at % samples.size()] % palette.size()];
    }

    void getLineRepeats(std::vector<std::pair<int, int>>& repeats) override { repeats = lineRepeats; }
};

struct Canvas {
    int width;
    int height;
    colorAxes_e axes;
    PatternGen::sampling_e sampling;
    int bitDepth;
    bool fullRange;
};

Canvas readCanvas(FuzzedDataProvider& in)
{
    Canvas c{};
    c.axes = static_cast<colorAxes_e>(in.ConsumeIntegralInRange<int>(0, kAxesCount - 1));
    const PatternGen::sampling_e samplings[] = {PatternGen::Sampling_444, PatternGen::Sampling_422,
                                                PatternGen::Sampling_420};
    c.sampling = in.PickValueInArray(samplings);
    c.bitDepth = in.ConsumeIntegralInRange<int>(8, 16);
    c.fullRange = in.ConsumeBool();
    // Mostly small canvases; sometimes a line or two at an instrument width,
    // or a single line about the longest section and the widest file.
    switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 0: {
        const int widths[] = {720, 1280, 1920, 2048};
        c.width = in.PickValueInArray(widths);
        c.height = in.ConsumeIntegralInRange<int>(0, 2);
        break;
    }
    case 1: {
        const int widths[] = {32767, 32768, 32769, 65534, 65535, 65536, 65537, 65538};
        c.width = in.PickValueInArray(widths);
        c.height = in.ConsumeIntegralInRange<int>(0, 1);
        break;
    }
    default:
        c.width = in.ConsumeIntegralInRange<int>(0, 48);
        c.height = in.ConsumeIntegralInRange<int>(0, 24);
        break;
    }
    return c;
}

Pixel readPixel(FuzzedDataProvider& in, colorAxes_e canvasAxes)
{
    std::vector<colorAxes_e> usable;
    for (int a = 0; a < kAxesCount; ++a) {
        if (convertible(static_cast<colorAxes_e>(a), canvasAxes)) usable.push_back(static_cast<colorAxes_e>(a));
    }
    const colorAxes_e axes = usable[in.ConsumeIntegralInRange<std::size_t>(0, usable.size() - 1)];
    const int bitDepth = in.ConsumeIntegralInRange<int>(8, 16);
    const bool fullRange = in.ConsumeBool();
    const int y = in.ConsumeIntegral<uint16_t>();
    const int cb = in.ConsumeIntegral<uint16_t>();
    const int cr = in.ConsumeIntegral<uint16_t>();
    Pixel p(y, cb, cr, axes, bitDepth, fullRange);
    if (in.ConsumeBool()) p.alpha = in.ConsumeIntegral<uint16_t>();
    return p;
}

// Runs of palette indices until the canvas is covered or the input ends.
std::vector<uint8_t> readSamples(FuzzedDataProvider& in, std::size_t count)
{
    std::vector<uint8_t> samples;
    while (samples.size() < count && in.remaining_bytes() >= 2) {
        const uint8_t colour = in.ConsumeIntegral<uint8_t>();
        const uint8_t run = in.ConsumeIntegral<uint8_t>();
        // 255: the rest of the canvas, for the longest runs.
        const std::size_t length = run == 255 ? count - samples.size() : run + 1u;
        samples.insert(samples.end(), std::min(length, count - samples.size()), colour);
    }
    if (samples.empty()) samples.push_back(0);
    return samples;
}

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The file as VantoKeploPatternFile keeps and saves it. True when it was saved
// in block mode 1, the form the writer produces.
bool saveWhole(FuzzPattern& pattern, const Canvas& c, int32_t sampleFormat, bool xyz, int32_t blockMode,
               const std::string& path)
{
    VantoKeploPatternFile file;
    std::vector<std::pair<int, int>> repeats;
    try {
        pattern.run_body(0, c.width, c.height, repeats, file);
        file.sampleFormat = sampleFormat;
        if (xyz) file.ConvertToXYZ();
        file.blockMode = blockMode;
        return file.Save(path) && blockMode == 1;
    } catch (const std::runtime_error&) {
        return false;
    }
}

// The file as PatternFileWriter writes it, block by block. True when it was written.
bool writeByBlocks(FuzzPattern& pattern, const Canvas& c, int32_t sampleFormat, bool xyz, bool openFile,
                   const std::string& path)
{
    VantoKeploPatternFile file;
    file.sampleFormat = xyz ? PatternFileFormat::XYZ : sampleFormat;
    OutputFile out(path);
    const bool opened = openFile && out.open();
    std::vector<std::pair<int, int>> repeats;
    try {
        PatternFileWriter writer(file, opened ? &out : nullptr);
        makeInstrumentBlocks(pattern, c.width, c.height, repeats, file, [&](CompressedLine* block) {
            std::unique_ptr<CompressedLine> owned(block);
            if (xyz) {
                owned->ConvertToXYZ(file.width == kStandardDefinitionWidth);
                Sample::b3Words = true;
            }
            writer.add(owned.release());
        });
        const bool finished = writer.finish();
        return opened && out.commit() && finished;
    } catch (const std::runtime_error&) {
        return false;
    }
}

// A finding: its name is in the stack that libFuzzer prints.
[[noreturn]] void saveAndWriterDisagree()
{
    std::fprintf(stderr, "pm5544 fuzz: Save and PatternFileWriter wrote different files\n");
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzScratch::folder();
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const Canvas c = readCanvas(in);
    const int32_t formats[] = {PatternFileFormat::YCbCr422, PatternFileFormat::RGB, PatternFileFormat::YCbCr444,
                               PatternFileFormat::XYZ};
    const int32_t sampleFormat = in.PickValueInArray(formats);
    const bool xyz = in.ConsumeBool();
    const int32_t blockModes[] = {1, 1, 1, 0, 2};
    const int32_t blockMode = in.PickValueInArray(blockModes);
    const bool openFile = in.ConsumeIntegralInRange<int>(0, 7) != 0;

    FuzzPattern pattern;
    pattern.init(c.width, c.height, 16, 9, c.axes, c.sampling, c.bitDepth, c.fullRange, PatternGen::Quadrant_None, 0,
                 false, "");
    const int colours = in.ConsumeIntegralInRange<int>(1, kMaxColours);
    for (int i = 0; i < colours; ++i) pattern.palette.push_back(readPixel(in, c.axes));
    if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
        const int count = in.ConsumeIntegralInRange<int>(0, kMaxRepeats);
        for (int i = 0; i < count; ++i) {
            const int first = in.ConsumeIntegral<int16_t>();
            const int line = in.ConsumeIntegralInRange<int>(-2, c.height + 2);
            pattern.lineRepeats.emplace_back(first, line);
        }
    }
    const std::size_t canvasSamples = static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height);
    pattern.samples = readSamples(in, std::max<std::size_t>(canvasSamples, 1));

    const std::string whole = FuzzScratch::folder() + "/whole.pat";
    const std::string blocks = FuzzScratch::folder() + "/blocks.pat";
    const bool saved = saveWhole(pattern, c, sampleFormat, xyz, blockMode, whole);
    const bool written = writeByBlocks(pattern, c, sampleFormat, xyz, openFile, blocks);
    if (saved && written && readFile(whole) != readFile(blocks)) saveAndWriterDisagree();
    FuzzScratch::empty();
    return 0;
}
