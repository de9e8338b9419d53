#pragma once

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
// `inputPath`, when given, is the program's standard input (else it inherits
// the test's); a `memoryLimit` of 0 or more caps its address space
// (RLIMIT_AS), which only a program that runs natively and without
// AddressSanitizer can live with (see limitsMemory()).
ProgramRun runProgram(const std::vector<std::string>& args, const std::string& cwd = "",
                      const std::string& programPath = PM5544_BIN, long long fileSizeLimit = -1,
                      const std::string& inputPath = "", long long memoryLimit = -1);

// Whether a memory limit given to runProgram caps the program's own
// allocations: not under an emulator, nor with AddressSanitizer's shadow memory.
bool limitsMemory();

// Runs pm5544 with `options` and the file name `name` in the test's folder
// (testTempDir()), expecting success; returns the file's path.
std::string renderWithPm5544(const std::vector<std::string>& options, const std::string& name);

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);
