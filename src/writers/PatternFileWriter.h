#pragma once

#include <cstddef>
#include <cstdio>

class CompressedLine;
class OutputFile;
class VantoKeploPatternFile;

// Writes an instrument pattern file (block mode 1) from blocks handed over one
// at a time, as the line renderer completes them (makeInstrumentBlocks): each
// block is stored at once in its file form, which is far smaller than the
// block itself, and let go. The header, which needs the block count, comes
// first when the file is written. The bytes are those
// VantoKeploPatternFile::Save writes for the same blocks.
class PatternFileWriter {
public:
    PatternFileWriter();
    ~PatternFileWriter();
    PatternFileWriter(const PatternFileWriter&) = delete;
    PatternFileWriter& operator=(const PatternFileWriter&) = delete;

    // Takes `block` (and deletes it); raises the errors CompressedLine::Save raises.
    void add(CompressedLine* block);

    // Writes the header of `file` (its width, mode, format and flag), the
    // block count and the blocks to `out`. False when a write was refused.
    bool save(VantoKeploPatternFile& file, OutputFile& out);

private:
    char* bytes_ = nullptr;  // the stored blocks
    std::size_t size_ = 0;
    FILE* blocks_ = nullptr;
    std::size_t count_ = 0;
};
