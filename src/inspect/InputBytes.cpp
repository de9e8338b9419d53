#include "inspect/InputBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "inspect/UnreadableFile.h"

namespace {

constexpr const char* kStandardInput = "-";
constexpr std::size_t kCopyBlock = 1 << 16;

std::string systemError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Copies everything `from` gives into `to` (at its start); the number of bytes.
uint64_t copyAll(int from, int to)
{
    static char block[kCopyBlock];
    uint64_t total = 0;
    for (;;) {
        const ssize_t got = ::read(from, block, sizeof block);
        if (got == 0) return total;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw UnreadableFile(systemError("cannot read it"));
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, block + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) throw UnreadableFile(systemError("cannot keep a copy of it"));
            done += put;
        }
        total += static_cast<uint64_t>(got);
    }
}

}  // namespace

InputBytes::InputBytes(const std::string& path) : name_(path == kStandardInput ? "standard input" : path)
{
    const bool standardInput = path == kStandardInput;
    const int source = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) throw UnreadableFile(systemError("cannot open it"));
    struct stat info {};
    if (::fstat(source, &info) != 0) {
        const std::string error = systemError("cannot read it");
        if (!standardInput) ::close(source);
        throw UnreadableFile(error);
    }
    device_ = info.st_dev;
    inode_ = info.st_ino;
    if (S_ISDIR(info.st_mode)) {
        if (!standardInput) ::close(source);
        throw UnreadableFile("it is a folder");
    }
    if (S_ISREG(info.st_mode)) {
        fd_ = standardInput ? ::dup(source) : source;
        if (fd_ < 0) throw UnreadableFile(systemError("cannot read it"));
        size_ = static_cast<uint64_t>(info.st_size);
        return;
    }
    // A stream can be read only once: its bytes are kept for every later pass.
    scratch_ = std::tmpfile();
    if (scratch_ == nullptr) {
        const std::string error = systemError("cannot keep a copy of it");
        if (!standardInput) ::close(source);
        throw UnreadableFile(error);
    }
    fd_ = fileno(scratch_);
    try {
        size_ = copyAll(source, fd_);
    } catch (...) {
        if (!standardInput) ::close(source);
        std::fclose(scratch_);
        throw;
    }
    if (!standardInput) ::close(source);
}

InputBytes::~InputBytes()
{
    if (scratch_ != nullptr) {
        std::fclose(scratch_);
    } else if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t InputBytes::read(uint64_t offset, void* data, std::size_t length) const
{
    if (offset >= size_) return 0;
    if (length > size_ - offset) length = static_cast<std::size_t>(size_ - offset);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(fd_, static_cast<char*>(data) + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw UnreadableFile(systemError("cannot read it"));
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool InputBytes::isSameFileAs(const std::string& path) const
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
}
