// The instrument form's blocks: every canvas line is cut into run and
// literal sections of code values, and runs of identical lines are merged
// into one block that counts them.

#include "rows/InstrumentBlocks.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"
#include "rows/ConvertedColours.h"
#include "rows/LineReader.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr int kInstrumentWidths[] = {1280, 1920, 2048};
constexpr int kLargestFileDimension = 0xFFFF;  // width and line counts are 16-bit fields

bool isInstrumentWidth(int width)
{
    for (int w : kInstrumentWidths) {
        if (w == width) return true;
    }
    return false;
}

// Collects the sections of one line: a sample equal to the previous one extends
// a run, any other sample joins the literal list. A run of m equal samples thus
// leaves its first sample at the end of a literal list and a run of m - 1.
class LineCompressor {
public:
    explicit LineCompressor(CompressedLine& line) : line_(line) {}

    void add(const Sample& s)
    {
        if (last_ && s == *last_) {
            ++repeats_;
            if (!literal_.empty()) flushLiteral();
            return;
        }
        if (repeats_ != 0) flushRun();
        literal_.push_back(s);
        if (literal_.size() > kMaxSectionSamples) tooLong(literal_.size());
        repeats_ = 0;
        last_ = s;
    }

    void finish()
    {
        if (repeats_ != 0) {
            flushRun();
        } else {
            flushLiteral();
        }
    }

private:
    void flushRun()
    {
        if (repeats_ > kMaxSectionSamples) tooLong(repeats_);
        line_.AddRun(static_cast<unsigned short>(repeats_), *last_);
    }

    void flushLiteral()
    {
        line_.AddArray(static_cast<unsigned short>(literal_.size()), literal_.data());
        literal_.clear();
    }

    [[noreturn]] static void tooLong(std::size_t n)
    {
        throw std::runtime_error("Line section of " + std::to_string(n) +
                                 " samples is too long for a pattern file (at most " +
                                 std::to_string(kMaxSectionSamples) + ")");
    }

    CompressedLine& line_;
    std::optional<Sample> last_;  // none before the first sample of the line
    unsigned int repeats_ = 0;
    std::vector<Sample> literal_;
};

// One canvas line, x = 0 ... width - 1, compressed into sections.
std::unique_ptr<CompressedLine> compressLine(PatternSpec& pattern, LineReader& reader, ConvertedColours& converted,
                                             int width, int y)
{
    auto line = std::make_unique<CompressedLine>();
    LineCompressor compressor(*line);
    const uint32_t* indices = reader.line(y);
    converted.update(reader.colours());
    const bool pairs = pattern.colourSpace.isColourDifference() && pattern.sampling != PatternGen::Sampling_444;
    if (pairs) {
        Sample::b3Words = false;
        for (int x = 0; x < width; x += 2) {
            const Pixel& first = converted[indices[x]];
            // An odd width leaves the last pixel without a partner: it pairs with
            // itself rather than reading beyond the canvas.
            const Pixel& second = x + 1 < width ? converted[indices[x + 1]] : first;
            compressor.add(Sample(first.cr, first.y, first.cb, second.y));
        }
    } else {
        Sample::b3Words = true;
        for (int x = 0; x < width; ++x) {
            const Pixel& c = converted[indices[x]];
            compressor.add(Sample(c.cr, c.y, c.cb, 0));
        }
    }
    compressor.finish();
    return line;
}

}  // namespace

void makeInstrumentBlocks(PatternSpec& pattern, int width, int height, std::vector<std::pair<int, int>>& repeats,
                          VantoKeploPatternFile& file, const std::function<void(CompressedLine*)>& take)
{
    if (!isInstrumentWidth(width)) printf("Warning %d is not a valid Vanto or Keplo pattern width\n", width);
    if (width < 0 || width > kLargestFileDimension || height > kLargestFileDimension) {
        throw std::runtime_error("Canvas of " + std::to_string(width) + "x" + std::to_string(height) +
                                 " does not fit a pattern file");
    }
    file.width = static_cast<uint16_t>(width);
    // The file holds the codes exactly as converted, without any shift: the
    // HDR Y'CbCr conversions answer with 10-bit codes, the others at 12 bits.
    LineReader reader(pattern, 0, width);
    ConvertedColours converted(pattern.colourSpace.axis, CanvasConversion::CodeDepth::AsConverted);

    // The base getLineRepeats leaves the list empty; a non-empty list names the
    // canvas lines that stand for runs of identical lines.
    pattern.getLineRepeats(repeats);
    if (!repeats.empty()) {
        const bool wholeFrame = repeats.size() == 1;
        constexpr unsigned short kWholeFramePercent = 100;
        file.blockMode = 1;
        file.singleBlock = wholeFrame;
        int previous = -1;
        for (const std::pair<int, int>& pair : repeats) {
            const int linesCovered = pair.second - previous;
            if (linesCovered <= 0 || linesCovered > kLargestFileDimension)
                throw std::runtime_error("Line repeat list must name canvas lines in ascending order");
            std::unique_ptr<CompressedLine> line = compressLine(pattern, reader, converted, width, pair.second);
            line->SetPercentage(wholeFrame ? kWholeFramePercent : static_cast<unsigned short>(linesCovered));
            take(line.release());
            previous = pair.second;
        }
        return;
    }

    file.blockMode = 1;
    file.singleBlock = false;
    std::unique_ptr<CompressedLine> held;
    unsigned short count = 0;
    for (int y = 0; y < height; ++y) {
        std::unique_ptr<CompressedLine> line = compressLine(pattern, reader, converted, width, y);
        if (!held) {
            held = std::move(line);
            count = 0;
            continue;
        }
        ++count;
        if (*line == *held) continue;  // the held block now stands for this line too
        held->SetPercentage(count);
        take(held.release());
        held = std::move(line);
        count = 0;
    }
    if (held) {
        held->SetPercentage(static_cast<unsigned short>(count + 1));
        take(held.release());
    }
}
