#pragma once

#include <cstddef>
#include <cstdio>
#include <exception>

class CompressedLine;
class OutputFile;
class VantoKeploPatternFile;

// Writes an instrument pattern file (block mode 1) from blocks handed over one
// at a time, as the line renderer completes them (makeInstrumentBlocks), and
// lets each go once written. The bytes are those VantoKeploPatternFile::Save
// writes for the same blocks. Into a file that can be written back into, the
// blocks go straight after the header and the block count is filled in at the
// end; for anything else (a device, a pipe) they are kept in their file form,
// far smaller than the blocks themselves, until the end.
class PatternFileWriter {
public:
    // `file` gives the header: its width, mode and flag must be set by the
    // first block, its sample format as it will be saved. `out` may be null
    // (a file that could not be opened): the blocks are then dropped.
    PatternFileWriter(VantoKeploPatternFile& file, OutputFile* out);
    ~PatternFileWriter();
    PatternFileWriter(const PatternFileWriter&) = delete;
    PatternFileWriter& operator=(const PatternFileWriter&) = delete;

    // Takes `block` (and deletes it). Errors of the file classes that are not
    // about writing (a malformed block) are raised at once; a write error is
    // kept for finish().
    void add(CompressedLine* block);

    // Completes the file: raises a write error kept by add(), or returns
    // false when a later write was refused (out tells why).
    bool finish();

private:
    void startFile();
    void saveBlock(CompressedLine& block, FILE* to);

    VantoKeploPatternFile& file_;
    OutputFile* out_;
    bool direct_ = false;  // blocks written straight into out_
    bool started_ = false;
    std::exception_ptr writeError_;
    std::size_t count_ = 0;
    char* bytes_ = nullptr;  // blocks kept in memory
    std::size_t size_ = 0;
    FILE* memory_ = nullptr;
};
