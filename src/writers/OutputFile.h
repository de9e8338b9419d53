#pragma once

#include <cstdio>
#include <string>

// The file a writer produces, replaced only when it is complete.
//
// A regular file (or a name not yet taken) is written to a temporary file in
// the same folder, which replaces the target by a rename only after the whole
// file was written, flushed and closed without error; on failure the
// temporary file is removed and an existing target keeps its contents. A
// replaced file keeps its permission bits; a new one gets those the process
// creates files with. A symbolic link to a regular file replaces the file it
// points to, not the link. Anything else (a device such as /dev/null or
// /dev/full, a pipe, /dev/stdout) is written in place.
//
// Every write goes through stream() or write(); the first failure is kept,
// with its reason, and commit() reports it.
class OutputFile {
public:
    explicit OutputFile(std::string path);
    // Writes in place to the open descriptor `descriptor` (standard output,
    // for the name "-"), through a copy of it; `name` is the name reported.
    OutputFile(std::string name, int descriptor);
    ~OutputFile();  // removes the temporary file when not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file (or opens the target in place). False, with
    // the reason in error(), when it cannot.
    bool open();

    // The open file as a stdio stream, and as a descriptor (for libraries
    // that write through their own calls, which must report failures with
    // fail()).
    FILE* stream() const { return stream_; }
    int descriptor() const;

    // Writes `size` bytes at the current position; false once anything failed.
    bool write(const void* data, std::size_t size);

    // True for a file written to a temporary copy, which can be written back into.
    bool canSeek() const { return !temporary_.empty(); }

    // Records a failure found by a caller (the first one is kept).
    void fail(const std::string& reason);
    bool failed() const { return failed_; }

    // Flushes and closes the file and puts it in place. False, with the
    // reason in error(), when anything failed since open().
    bool commit();

    // Why the file could not be written, as the system puts it.
    const std::string& error() const { return error_; }

    // The name written to, and the target's own name.
    const std::string& path() const { return path_; }

private:
    void failWithErrno();
    void removeTemporary();

    std::string path_;       // as given
    std::string target_;     // the file to replace (a link's target)
    std::string temporary_;  // empty when written in place
    int descriptor_ = -1;    // already open, written in place
    FILE* stream_ = nullptr;
    bool failed_ = false;
    bool committed_ = false;
    std::string error_;
};
