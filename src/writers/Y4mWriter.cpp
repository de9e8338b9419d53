#include "writers/Y4mWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "writers/OutputFile.h"

namespace {

constexpr int kBitsPerByte = 8;
constexpr unsigned kLowByte = 0xFF;

// A pipe's buffer holds 64 KiB by default: a frame of megabytes then takes
// hundreds of wake-ups of the reader. A larger one is asked for; a refusal
// (a limit set lower, or not a pipe) changes nothing.
constexpr int kPipeBytes = 1 << 20;

// 0 when all of `data` was written, else the errno of the failure.
int writeAll(int fd, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// The same through a pipe, handing it the pages of `data` instead of copying
// them; `done` counts the bytes that went in. ENOSYS or EINVAL when the
// system cannot (the caller then writes the rest).
int spliceAll(int fd, const unsigned char* data, std::size_t size, std::size_t& done)
{
    done = 0;
    while (done < size) {
        iovec pages{const_cast<unsigned char*>(data + done), size - done};
        const ssize_t n = ::vmsplice(fd, &pages, 1, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

bool isPipe(int fd)
{
    struct stat s;
    return ::fstat(fd, &s) == 0 && S_ISFIFO(s.st_mode);
}

}  // namespace

Y4mWriter::Y4mWriter(const Y4m::Header& header)
    : header_(header),
      shift_(Y4m::storedDepth(header.bitDepth) - header.bitDepth),
      sampleBytes_(Y4m::bytesPerSample(header.bitDepth)),
      frame_(Y4m::frameBytes(header))
{
    std::memcpy(frame_.data(), Y4m::kFrameMarker, Y4m::kFrameMarkerBytes);
    const std::size_t chromaPlane = static_cast<std::size_t>(Y4m::chromaWidth(header)) *
                                    static_cast<std::size_t>(Y4m::chromaHeight(header)) *
                                    static_cast<std::size_t>(sampleBytes_);
    lumaAt_ = Y4m::kFrameMarkerBytes;
    cbAt_ = frame_.size() - 2 * chromaPlane;
    crAt_ = frame_.size() - chromaPlane;
}

void Y4mWriter::store(const uint16_t* codes, int count, std::size_t& at)
{
    unsigned char* out = frame_.data() + at;
    if (sampleBytes_ == 1) {
        for (int i = 0; i < count; ++i) out[i] = static_cast<unsigned char>(codes[i]);
    } else {
        for (int i = 0; i < count; ++i) {
            const unsigned value = static_cast<unsigned>(codes[i]) << shift_;
            out[2 * i] = static_cast<unsigned char>(value & kLowByte);
            out[2 * i + 1] = static_cast<unsigned char>(value >> kBitsPerByte);
        }
    }
    at += static_cast<std::size_t>(count) * static_cast<std::size_t>(sampleBytes_);
}

void Y4mWriter::addLuma(const uint16_t* codes)
{
    store(codes, header_.width, lumaAt_);
}

void Y4mWriter::addChroma(const uint16_t* cb, const uint16_t* cr)
{
    const int count = Y4m::chromaWidth(header_);
    store(cb, count, cbAt_);
    store(cr, count, crAt_);
}

bool Y4mWriter::write(OutputFile& out, int64_t frames)
{
    const int fd = out.descriptor();
    if (fd < 0 || out.failed()) return false;
#ifdef F_SETPIPE_SZ
    fcntl(fd, F_SETPIPE_SZ, kPipeBytes);
#endif
    const std::string line = Y4m::headerLine(header_);
    int error = writeAll(fd, reinterpret_cast<const unsigned char*>(line.data()), line.size());
    bool splicing = isPipe(fd);
    while (error == 0 && (frames == 0 || framesWritten_ < frames)) {
        if (splicing) {
            std::size_t done = 0;
            error = spliceAll(fd, frame_.data(), frame_.size(), done);
            // The system cannot: the rest written instead, and every frame after it.
            if (error == ENOSYS || error == EINVAL) {
                splicing = false;
                error = writeAll(fd, frame_.data() + done, frame_.size() - done);
            }
        } else {
            error = writeAll(fd, frame_.data(), frame_.size());
        }
        if (error == 0) ++framesWritten_;
    }
    readerStopped_ = error == EPIPE;
    if (readerStopped_ && frames == 0) return true;
    if (error != 0) out.fail(std::strerror(error));
    return error == 0;
}
