#include "inspect/InstrumentFileExpansion.h"

#include <algorithm>

#include "inspect/FrameShape.h"
#include "writers/writeVantoKeplo.h"

namespace InstrumentFileExpansion {

namespace {

constexpr int kComponents = 3;
constexpr int kPercentOfFrame = 100;

}  // namespace

long long linesOf(bool singleBlock, unsigned count, int frameHeight)
{
    if (!singleBlock) return count;
    return static_cast<long long>(frameHeight) * count / kPercentOfFrame;
}

std::size_t samplesPerLine(bool pairs, int width)
{
    return static_cast<std::size_t>(pairs ? (width + 1) / 2 : width);
}

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

void fillRow(const std::vector<Sample>& samples, bool pairs, int width, uint16_t* row)
{
    std::fill(row, row + static_cast<std::size_t>(width) * kComponents, uint16_t{0});
    for (int x = 0; x < width && static_cast<std::size_t>(pairs ? x / 2 : x) < samples.size(); ++x) {
        const Sample& s = samples[static_cast<std::size_t>(pairs ? x / 2 : x)];
        uint16_t* p = row + static_cast<std::size_t>(x) * kComponents;
        p[FrameShape::kCrOrR] = s.word0;
        p[FrameShape::kYOrG] = pairs && (x & 1) != 0 ? s.word3 : s.word1;
        p[FrameShape::kCbOrB] = s.word2;
    }
}

}  // namespace InstrumentFileExpansion
