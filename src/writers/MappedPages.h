#pragma once

#include <cstddef>

// Bytes in pages of their own, mapped from the system rather than taken from
// the heap. Pages handed to a pipe (vmsplice) stay the pipe's until the reader
// has read them, even after this is gone: unmapped, they can never be written
// again, whereas heap memory freed would be handed out and written over while
// the reader still has to read it.
class MappedPages {
public:
    explicit MappedPages(std::size_t size);  // zeroed; throws std::bad_alloc when the system has none
    ~MappedPages();
    MappedPages(const MappedPages&) = delete;
    MappedPages& operator=(const MappedPages&) = delete;

    unsigned char* data() { return data_; }
    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};
