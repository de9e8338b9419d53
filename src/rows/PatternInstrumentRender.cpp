// The instrument form of run_body: the blocks go into the file's list.

#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"
#include "rows/InstrumentBlocks.h"
#include "writers/writeVantoKeplo.h"

bool PatternSpec::run_body(int /*commandLineValue*/, int width, int height, std::vector<std::pair<int, int>>& repeats,
                           VantoKeploPatternFile& file)
{
    makeInstrumentBlocks(*this, width, height, repeats, file, [&file](CompressedLine* block) { file.AddBlock(block); });
    return true;
}
