#include "writers/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Room for the longest temporary name the signal handler may have to remove.
constexpr std::size_t kTemporaryNameRoom = PATH_MAX + 32;
// Leaves room in a file name for the temporary name's dot and suffix.
constexpr std::size_t kLongestBaseKept = 200;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kNewFileMode = 0666;

// The temporary file of the run, for removal when a signal ends the run
// before it is committed. Only async-signal-safe calls touch it there.
char pendingTemporary[kTemporaryNameRoom];
volatile std::sig_atomic_t havePendingTemporary = 0;

extern "C" void removePendingTemporary(int signal)
{
    if (havePendingTemporary != 0) {
        unlink(pendingTemporary);
    }
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void rememberTemporary(const std::string& name)
{
    static bool handlersInstalled = false;
    if (!handlersInstalled) {
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            std::signal(sig, removePendingTemporary);
        }
        handlersInstalled = true;
    }
    havePendingTemporary = 0;
    if (name.size() < sizeof pendingTemporary) {
        std::memcpy(pendingTemporary, name.c_str(), name.size() + 1);
        havePendingTemporary = 1;
    }
}

void forgetTemporary()
{
    havePendingTemporary = 0;
}

mode_t creationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return kNewFileMode & ~mask;
}

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)), target_(path_) {}

OutputFile::OutputFile(std::string name, int descriptor) : path_(std::move(name)), descriptor_(descriptor) {}

OutputFile::~OutputFile()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (!committed_) {
        removeTemporary();
    }
}

void OutputFile::failWithErrno()
{
    fail(std::strerror(errno));
}

void OutputFile::fail(const std::string& reason)
{
    if (!failed_) {
        failed_ = true;
        error_ = reason;
    }
}

void OutputFile::removeTemporary()
{
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
        forgetTemporary();
    }
}

bool OutputFile::open()
{
    if (descriptor_ >= 0) {
        const int fd = dup(descriptor_);
        stream_ = fd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (stream_ == nullptr) {
            failWithErrno();
            if (fd >= 0) close(fd);
            return false;
        }
        return true;
    }
    struct stat info;
    bool exists = lstat(path_.c_str(), &info) == 0;
    bool danglingLink = false;
    if (exists && S_ISLNK(info.st_mode)) {
        // Replace what the link points to; a dangling link is written through.
        char* resolved = realpath(path_.c_str(), nullptr);
        if (resolved != nullptr) {
            target_ = resolved;
            std::free(resolved);
            exists = stat(target_.c_str(), &info) == 0;
        } else {
            danglingLink = true;
        }
    }
    if ((exists && !S_ISREG(info.st_mode)) || danglingLink) {
        stream_ = std::fopen(path_.c_str(), "wb");
        if (stream_ == nullptr) {
            failWithErrno();
            return false;
        }
        return true;
    }

    std::string base = baseOf(target_);
    if (base.size() > kLongestBaseKept) {
        base.resize(kLongestBaseKept);
    }
    std::string pattern = folderOf(target_) + "/." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        failWithErrno();
        return false;
    }
    temporary_ = name.data();
    rememberTemporary(temporary_);
    fchmod(fd, exists ? (info.st_mode & kPermissionBits) : creationMode());
    stream_ = fdopen(fd, "wb");
    if (stream_ == nullptr) {
        failWithErrno();
        close(fd);
        removeTemporary();
        return false;
    }
    return true;
}

int OutputFile::descriptor() const
{
    return stream_ != nullptr ? fileno(stream_) : -1;
}

bool OutputFile::write(const void* data, std::size_t size)
{
    if (failed_ || stream_ == nullptr) {
        return false;
    }
    if (size != 0 && std::fwrite(data, 1, size, stream_) != size) {
        failWithErrno();
    }
    return !failed_;
}

bool OutputFile::commit()
{
    if (stream_ != nullptr) {
        if (std::fflush(stream_) != 0) {
            failWithErrno();
        } else if (std::ferror(stream_) != 0) {
            fail("write error");
        }
        if (std::fclose(stream_) != 0) {
            failWithErrno();
        }
        stream_ = nullptr;
    } else {
        fail("not open");
    }
    if (!failed_ && !temporary_.empty()) {
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            failWithErrno();
        } else {
            temporary_.clear();
            forgetTemporary();
        }
    }
    if (failed_) {
        removeTemporary();
        return false;
    }
    committed_ = true;
    return true;
}
