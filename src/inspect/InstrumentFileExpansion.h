#pragma once

#include <string>
#include <vector>

#include "inspect/CodeFrame.h"

class VantoKeploPatternFile;

// The picture an instrument pattern file stands for: every block's sections
// laid out along a line, and the line repeated for as many canvas lines as
// the block counts. Serves the file read back and the reference rendered in
// memory alike.
namespace InstrumentFileExpansion {

// Lines a single-block file covers: its count is a percentage of a frame
// height the file does not record.
constexpr int kAssumedFrameHeight = 1080;

// Canvas lines the blocks cover.
long long linesCovered(const VantoKeploPatternFile& file, int frameHeight = kAssumedFrameHeight);

// The frame of codes, three per pixel (word0, word1, word2 of each sample:
// Cr or R or X', Y' or G or Y', Cb or B or Z'); a 4:2:2 sample (`pairs`)
// gives two pixels, the second with its own Y'. Lines whose samples do not
// make `file.width` pixels are reported in `problems` and cut or padded.
// `codeBits` marks the codes' depth; the samples are stored unshifted.
CodeFrame expand(const VantoKeploPatternFile& file, bool pairs, int codeBits, std::vector<std::string>& problems,
                 int frameHeight = kAssumedFrameHeight);

}  // namespace InstrumentFileExpansion
