#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The bytes of the one file a run inspects, taken from the system once. A
// regular file is read where it lies; anything else (standard input, named
// "-", a pipe, /dev/stdin, a process substitution) is copied once into an
// unnamed scratch file, so that every pass over the picture reads the same
// bytes and nothing is opened twice.
class InputBytes {
public:
    // Throws UnreadableFile when the file cannot be opened or read.
    explicit InputBytes(const std::string& path);
    ~InputBytes();
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;

    const std::string& name() const { return name_; }
    uint64_t size() const { return size_; }

    // Reads up to `length` bytes from `offset`; returns how many were read
    // (fewer only at the end of the file). Throws UnreadableFile when the
    // system fails to read.
    std::size_t read(uint64_t offset, void* data, std::size_t length) const;

    // True when `path` names the file being read, through any link.
    bool isSameFileAs(const std::string& path) const;

private:
    std::string name_;
    int fd_ = -1;
    std::FILE* scratch_ = nullptr;
    uint64_t size_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
