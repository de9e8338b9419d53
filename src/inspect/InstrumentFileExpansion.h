#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CompressedLine;
class Sample;

// The picture an instrument pattern file stands for: every block's sections
// laid out along a line, and the line repeated for as many canvas lines as
// the block counts. Serves the file read back and the reference rendered in
// memory alike.
namespace InstrumentFileExpansion {

// Lines a single-block file covers: its count is a percentage of a frame
// height the file does not record.
constexpr int kAssumedFrameHeight = 1080;

// The canvas lines one block stands for.
long long linesOf(bool singleBlock, unsigned count, int frameHeight = kAssumedFrameHeight);

// The samples that make a line of `width` pixels (a 4:2:2 sample, `pairs`,
// gives two).
std::size_t samplesPerLine(bool pairs, int width);

// A block's first `limit` samples, runs repeated, in line order: a damaged
// count cannot make the line larger than the canvas.
std::vector<Sample> samplesOf(const CompressedLine& block, std::size_t limit);

// One row of three codes per pixel (word0, word1, word2 of each sample: Cr
// or R or X', Y' or G or Y', Cb or B or Z'), the second pixel of a 4:2:2
// sample with its own Y' (word3). Pixels past the samples are zero.
void fillRow(const std::vector<Sample>& samples, bool pairs, int width, uint16_t* row);

}  // namespace InstrumentFileExpansion
