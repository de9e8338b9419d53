#pragma once

#include <functional>
#include <utility>
#include <vector>

class CompressedLine;
class PatternSpec;
class VantoKeploPatternFile;

// The instrument form of run_body without the file's list of blocks: every
// line block is handed to `take` (which owns it from then on) as soon as it is
// complete, in canvas order, so that a writer can store it and let it go.
// Sets the file's width, blockMode and singleBlock as the form does; prints
// the same width warning and raises the same errors.
void makeInstrumentBlocks(PatternSpec& pattern, int width, int height, std::vector<std::pair<int, int>>& repeats,
                          VantoKeploPatternFile& file, const std::function<void(CompressedLine*)>& take);
