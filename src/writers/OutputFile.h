#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

// The file a writer produces, replaced only when it is complete.
//
// A regular file (or a name not yet taken) is written to a temporary file
// (".NAME.XXXXXX") in the same folder, which replaces the target by a rename
// only after the whole file was written, flushed and closed without error; on
// failure the temporary file is removed and an existing target keeps its
// contents. The folder is held open from the start: moved or renamed during
// the run, it still receives the file, under the target's name. A file that
// the user could not write with the shell's ">" is refused, not replaced. A
// replaced file keeps its permission bits; a new one gets those the process
// creates files with. A symbolic link to a regular file replaces the file it
// points to, not the link. Anything else (a device such as /dev/null or
// /dev/full, a pipe, /dev/stdout) is written in place.
//
// Every write goes through stream(), write() or descriptor() (for libraries
// that write by their own calls, which must report failures with fail()); the
// first failure is kept, with the system's reason, and commit() reports it.
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
    // the reason in error(), when it cannot or must not.
    bool open();

    // The open file as a stdio stream, whose failed writes are recorded with
    // their reason, and as a descriptor.
    FILE* stream() const { return stream_; }
    int descriptor() const { return descriptor_; }

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

    // The name written to, as given.
    const std::string& path() const { return path_; }

    // For the program itself, once, before any file is opened: a signal that
    // ends the process removes the temporary file first. Not for a library
    // user or a test harness with handlers of its own, so it is not done by
    // open(). Signals that are ignored (as under nohup) or already handled (by
    // a sanitizer) keep their disposition.
    static void removeTemporaryOnEndingSignals();

private:
    bool openInPlace();
    bool createTemporary(mode_t mode);
    bool openStream();
    void failWithErrno();
    void removeTemporary();

    ssize_t writeThrough(const char* data, std::size_t size);  // for the stream

    std::string path_;        // as given
    std::string target_;      // the file to replace (a link's target)
    std::string targetBase_;  // its name within folder_
    std::string temporary_;   // the temporary file's name within folder_; empty when written in place
    int folder_ = -1;         // the target's folder, open for the whole run
    int descriptor_ = -1;
    int given_ = -1;  // an open descriptor to write in place, through a copy
    FILE* stream_ = nullptr;
    bool failed_ = false;
    bool committed_ = false;
    std::string error_;
};
