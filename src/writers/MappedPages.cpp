#include "writers/MappedPages.h"

#include <sys/mman.h>

#include <new>

MappedPages::MappedPages(std::size_t size) : size_(size)
{
    // A mapping of no bytes is refused; one byte is asked for instead.
    void* pages = ::mmap(nullptr, size > 0 ? size : 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<unsigned char*>(pages);
}

MappedPages::~MappedPages()
{
    ::munmap(data_, size_ > 0 ? size_ : 1);
}
