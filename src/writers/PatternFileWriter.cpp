#include "writers/PatternFileWriter.h"

#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>

#include "writers/OutputFile.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr long kBlockCountOffset = 16;  // right after the header

}  // namespace

PatternFileWriter::PatternFileWriter(VantoKeploPatternFile& file, OutputFile* out) : file_(file), out_(out)
{
    direct_ = out != nullptr && out->canSeek();
    if (out != nullptr && !direct_) {
        memory_ = open_memstream(&bytes_, &size_);
        if (memory_ == nullptr) {
            throw std::bad_alloc();
        }
    }
}

PatternFileWriter::~PatternFileWriter()
{
    if (memory_ != nullptr) {
        std::fclose(memory_);
    }
    std::free(bytes_);
}

void PatternFileWriter::startFile()
{
    started_ = true;
    if (direct_) {
        // The count is written again once it is known.
        file_.SaveHeader(out_->stream());
        file_.SaveBlockCount(out_->stream(), 0);
    }
}

void PatternFileWriter::saveBlock(CompressedLine& block, FILE* to)
{
    try {
        block.Save(to);
    } catch (const std::runtime_error&) {
        if (std::ferror(to) == 0) {
            throw;  // not a write error: the block itself is wrong
        }
        writeError_ = std::current_exception();
    }
}

void PatternFileWriter::add(CompressedLine* block)
{
    std::unique_ptr<CompressedLine> owned(block);
    // Blocks without sections are not written, as in Save.
    if (owned->GetSectionCount() == 0) {
        return;
    }
    ++count_;
    if (!started_) {
        startFile();
    }
    if (out_ == nullptr || writeError_ != nullptr) {
        return;
    }
    if (direct_) {
        saveBlock(*owned, out_->stream());
    } else {
        saveBlock(*owned, memory_);
        if (writeError_ != nullptr) {
            throw std::bad_alloc();  // a memory stream fails only for want of memory
        }
    }
}

bool PatternFileWriter::finish()
{
    if (writeError_ != nullptr) {
        std::rethrow_exception(writeError_);
    }
    if (out_ == nullptr) {
        return false;
    }
    FILE* file = out_->stream();
    if (direct_) {
        if (!started_) {
            startFile();
        }
        if (std::fseek(file, kBlockCountOffset, SEEK_SET) != 0) {
            return false;
        }
        file_.SaveBlockCount(file, count_);
        return std::fseek(file, 0, SEEK_END) == 0 && !out_->failed();
    }
    if (std::fflush(memory_) != 0) {
        throw std::bad_alloc();
    }
    file_.SaveHeader(file);
    file_.SaveBlockCount(file, count_);
    return out_->write(bytes_, size_);
}
