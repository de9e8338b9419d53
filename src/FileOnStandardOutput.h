#pragma once

// Standard output handed over to the file being written (the file name "-"):
// while one of these lives, the stream holds only the file's bytes, written
// through descriptor(), and every line the run prints for the user on
// standard output (progress, warnings, refusals) goes to standard error.
// Standard output is given back when it ends.
class FileOnStandardOutput {
public:
    FileOnStandardOutput();
    ~FileOnStandardOutput();
    FileOnStandardOutput(const FileOnStandardOutput&) = delete;
    FileOnStandardOutput& operator=(const FileOnStandardOutput&) = delete;

    // Where the file goes: the standard output the program was given.
    int descriptor() const { return file_; }

private:
    int file_ = -1;
};
