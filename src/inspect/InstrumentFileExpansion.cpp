#include "inspect/InstrumentFileExpansion.h"

#include <algorithm>

#include "writers/writeVantoKeplo.h"

namespace InstrumentFileExpansion {

namespace {

constexpr int kComponents = 3;
constexpr int kPercentOfFrame = 100;

long long linesOf(const VantoKeploPatternFile& file, const CompressedLine& block, int frameHeight)
{
    if (!file.singleBlock) return block.percentage;
    return static_cast<long long>(frameHeight) * block.percentage / kPercentOfFrame;
}

// The number of samples a block's sections hold, runs counted out.
long long sampleCount(const CompressedLine& block)
{
    long long count = 0;
    for (const Section* section : block.sections) {
        count += section->repeatCount != 0 ? section->repeatCount : static_cast<long long>(section->samplePairs.size());
    }
    return count;
}

// A block's first `limit` samples, runs repeated, in line order: a damaged
// count cannot make the line larger than the canvas.
std::vector<Sample> samplesOf(const CompressedLine& block, std::size_t limit)
{
    std::vector<Sample> line;
    for (const Section* section : block.sections) {
        const std::size_t room = limit - line.size();
        if (section->repeatCount != 0 && !section->samplePairs.empty()) {
            line.insert(line.end(), std::min<std::size_t>(section->repeatCount, room), section->samplePairs.front());
        } else {
            const std::size_t n = std::min(section->samplePairs.size(), room);
            line.insert(line.end(), section->samplePairs.begin(), section->samplePairs.begin() + static_cast<long>(n));
        }
    }
    return line;
}

}  // namespace

long long linesCovered(const VantoKeploPatternFile& file, int frameHeight)
{
    long long lines = 0;
    for (const CompressedLine* block : file.line_blocks) lines += linesOf(file, *block, frameHeight);
    return lines;
}

CodeFrame expand(const VantoKeploPatternFile& file, bool pairs, int codeBits, std::vector<std::string>& problems,
                 int frameHeight)
{
    const long long lines = linesCovered(file, frameHeight);
    if (!CodeFrame::fits(file.width, lines)) {
        problems.push_back("its blocks cover " + std::to_string(lines) + " lines of " + std::to_string(file.width) +
                           " pixels, more than pm5544-inspect lays out");
        return CodeFrame();
    }
    CodeFrame frame(file.width, static_cast<int>(lines), kComponents, codeBits);
    frame.codeBits = codeBits;
    int y = 0;
    for (std::size_t b = 0; b < file.line_blocks.size(); ++b) {
        const CompressedLine& block = *file.line_blocks[b];
        const long long pixels = sampleCount(block) * (pairs ? 2 : 1);
        // A 4:2:2 line of odd width ends in a sample whose second pixel is not on the canvas.
        const bool fitsWidth = pixels == file.width || (pairs && pixels == file.width + 1);
        const std::vector<Sample> samples =
            samplesOf(block, static_cast<std::size_t>(pairs ? (file.width + 1) / 2 : file.width));
        if (!fitsWidth) {
            problems.push_back("block " + std::to_string(b) + " holds " + std::to_string(pixels) +
                               " pixels, the header's width is " + std::to_string(file.width));
        }
        const long long count = linesOf(file, block, frameHeight);
        for (long long i = 0; i < count; ++i, ++y) {
            for (int x = 0; x < frame.width && static_cast<std::size_t>(pairs ? x / 2 : x) < samples.size(); ++x) {
                const Sample& s = samples[static_cast<std::size_t>(pairs ? x / 2 : x)];
                frame.stored(x, y, CodeFrame::kCrOrR) = s.word0;
                frame.stored(x, y, CodeFrame::kYOrG) = pairs && (x & 1) != 0 ? s.word3 : s.word1;
                frame.stored(x, y, CodeFrame::kCbOrB) = s.word2;
            }
        }
    }
    return frame;
}

}  // namespace InstrumentFileExpansion
