#include "writers/OutputFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Leaves room in a file name for the temporary name's dot and suffix.
constexpr std::size_t kLongestBaseKept = 200;
constexpr int kRandomLetters = 6;
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kTemporaryMode = 0600;  // until the file's own bits are set

// The signals whose default action ends the process and that a handler can
// catch (SIGKILL and SIGSTOP cannot be); the real-time signals, whose numbers
// are known only at run time, end it as well.
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// The temporary file of the run, for the signal handler, which may only make
// async-signal-safe calls: the folder and the name are prepared while no
// signal can come, and `havePending` says when they hold a file to remove.
struct PendingTemporary {
    int folder = -1;
    char name[NAME_MAX + 1] = {};
};
static_assert(1 + kLongestBaseKept + 1 + kRandomLetters < sizeof PendingTemporary::name,
              "a temporary name fits the handler's copy");
PendingTemporary pending;
std::atomic<bool> havePending{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads havePending");

extern "C" void removeTemporaryAndEnd(int signal)
{
    if (havePending.load(std::memory_order_acquire)) {
        unlinkat(pending.folder, pending.name, 0);
    }
    // The signal is blocked while this runs: raised again, it ends the
    // process by its default action as soon as the handler returns.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    raise(signal);
}

void rememberTemporary(int folder, const std::string& name)
{
    havePending.store(false, std::memory_order_release);
    pending.folder = folder;
    std::memcpy(pending.name, name.c_str(), name.size() + 1);
    havePending.store(true, std::memory_order_release);
}

void forgetTemporary()
{
    havePending.store(false, std::memory_order_release);
}

// No signal reaches this thread while one lives: the temporary file is
// created and remembered for the handler as one step.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &saved_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t saved_;
};

// Letters for a temporary name; the exclusive creation, not their
// randomness, keeps another file from being taken.
std::string randomLetters()
{
    unsigned char bytes[kRandomLetters] = {};
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // No random source: the clock's nanoseconds still make a clash unlikely.
        auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(ticks);
            ticks >>= CHAR_BIT;
        }
    }
    std::string letters;
    for (unsigned char b : bytes) letters += kLetters[b % (sizeof kLetters - 1)];
    return letters;
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

int keepDescriptor(void*)
{
    return 0;  // the OutputFile closes it, and sees whether that failed
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)), target_(path_) {}

OutputFile::OutputFile(std::string name, int descriptor) : path_(std::move(name)), given_(descriptor) {}

OutputFile::~OutputFile()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
    if (!committed_) {
        removeTemporary();
    }
    if (folder_ >= 0) {
        close(folder_);
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
        unlinkat(folder_, temporary_.c_str(), 0);
        temporary_.clear();
        forgetTemporary();
    }
}

bool OutputFile::open()
{
    if (given_ >= 0) {
        descriptor_ = fcntl(given_, F_DUPFD_CLOEXEC, 0);
        if (descriptor_ < 0) {
            failWithErrno();
            return false;
        }
        return openStream();
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
        return openInPlace();
    }
    // A file the shell's ">" could not write is not replaced either (the
    // effective user's rights, as the shell's open has them: root's included).
    if (exists && faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        failWithErrno();
        return false;
    }
    folder_ = ::open(folderOf(target_).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) {
        failWithErrno();
        return false;
    }
    targetBase_ = baseOf(target_);
    return createTemporary(exists ? (info.st_mode & kPermissionBits) : creationMode()) && openStream();
}

bool OutputFile::openInPlace()
{
    descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (descriptor_ < 0) {
        failWithErrno();
        return false;
    }
    return openStream();
}

bool OutputFile::createTemporary(mode_t mode)
{
    const std::string base = targetBase_.substr(0, kLongestBaseKept);
    const SignalsHeld held;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = "." + base + "." + randomLetters();
        descriptor_ = openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kTemporaryMode);
        if (descriptor_ >= 0) {
            temporary_ = name;
            rememberTemporary(folder_, temporary_);
            fchmod(descriptor_, mode);
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    failWithErrno();
    return false;
}

ssize_t OutputFile::writeThrough(const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(descriptor_, data + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            fail(std::strerror(written < 0 ? errno : ENOSPC));
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    return static_cast<ssize_t>(done);
}

// A stdio stream on the descriptor whose writes record the reason they
// failed, since the writers that use it only learn that they did.
bool OutputFile::openStream()
{
    cookie_io_functions_t functions{};
    functions.write = [](void* cookie, const char* data, std::size_t size) {
        return static_cast<OutputFile*>(cookie)->writeThrough(data, size);
    };
    functions.seek = [](void* cookie, off64_t* offset, int whence) {
        const off_t at = lseek(static_cast<OutputFile*>(cookie)->descriptor_, static_cast<off_t>(*offset), whence);
        if (at < 0) return -1;
        *offset = at;
        return 0;
    };
    functions.close = keepDescriptor;
    stream_ = fopencookie(this, "wb", functions);
    if (stream_ == nullptr) {
        failWithErrno();
        return false;
    }
    return true;
}

bool OutputFile::write(const void* data, std::size_t size)
{
    if (failed_ || stream_ == nullptr) {
        return false;
    }
    if (size != 0 && std::fwrite(data, 1, size, stream_) != size) {
        fail("write error");  // only when the stream itself had none to record
    }
    return !failed_;
}

bool OutputFile::commit()
{
    if (stream_ != nullptr) {
        if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) {
            fail("write error");
        }
        std::fclose(stream_);
        stream_ = nullptr;
    } else {
        fail("not open");
    }
    if (descriptor_ >= 0) {
        if (close(descriptor_) != 0) {
            failWithErrno();
        }
        descriptor_ = -1;
    }
    if (!failed_ && !temporary_.empty()) {
        if (renameat(folder_, temporary_.c_str(), folder_, targetBase_.c_str()) != 0) {
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

void OutputFile::removeTemporaryOnEndingSignals()
{
    std::vector<int> signals(std::begin(kEndingSignals), std::end(kEndingSignals));
    for (int realTime = SIGRTMIN; realTime <= SIGRTMAX; ++realTime) {
        signals.push_back(realTime);
    }
    for (int signal : signals) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = removeTemporaryAndEnd;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}
