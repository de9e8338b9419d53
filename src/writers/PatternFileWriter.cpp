#include "writers/PatternFileWriter.h"

#include <cstdlib>
#include <memory>
#include <new>

#include "writers/OutputFile.h"
#include "writers/writeVantoKeplo.h"

PatternFileWriter::PatternFileWriter() : blocks_(open_memstream(&bytes_, &size_))
{
    if (blocks_ == nullptr) {
        throw std::bad_alloc();
    }
}

PatternFileWriter::~PatternFileWriter()
{
    if (blocks_ != nullptr) {
        std::fclose(blocks_);
    }
    std::free(bytes_);
}

void PatternFileWriter::add(CompressedLine* block)
{
    std::unique_ptr<CompressedLine> owned(block);
    // Blocks without sections are not written, as in Save.
    if (owned->GetSectionCount() == 0) {
        return;
    }
    owned->Save(blocks_);
    if (std::ferror(blocks_) != 0) {
        throw std::bad_alloc();  // a memory stream fails only for want of memory
    }
    ++count_;
}

bool PatternFileWriter::save(VantoKeploPatternFile& file, OutputFile& out)
{
    if (std::fflush(blocks_) != 0) {
        throw std::bad_alloc();
    }
    file.SaveHeader(out.stream());
    file.SaveBlockCount(out.stream(), count_);
    return out.write(bytes_, size_);
}
