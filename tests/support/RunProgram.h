#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The result of running the built program once.
struct ProgramRun {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the program at `programPath` with the given arguments, in the working
// directory `cwd` (empty: the current one).
// A `fileSizeLimit` of 0 or more caps the size of every file the program
// writes (RLIMIT_FSIZE, with SIGXFSZ ignored: a write past it fails with
// EFBIG, as on a disk that is full).
ProgramRun runProgram(const std::vector<std::string>& args, const std::string& cwd = "",
                      const std::string& programPath = PM5544_BIN, long long fileSizeLimit = -1);

// Runs pm5544 with its standard output on a pipe, of which the first
// `readBytes` bytes are read (fewer when the program ends first) before the
// pipe is closed, as a reader that stops does. `out` holds what was read.
ProgramRun runProgramIntoReader(const std::vector<std::string>& args, std::size_t readBytes);

// Runs pm5544 with `options` and the file name `name` in the test's folder
// (testTempDir()), expecting success; returns the file's path.
std::string renderWithPm5544(const std::vector<std::string>& options, const std::string& name);

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);
