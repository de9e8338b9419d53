#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// The result of running the built program once.
struct ProgramRun {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;  // standard output
    std::string err;  // standard error
};

// How the program is started, beyond its arguments.
struct ProgramSetting {
    std::string cwd;                       // the working directory; empty: the current one
    std::string programPath = PM5544_BIN;  // the program to run
    // 0 or more caps the size of every file the program writes (RLIMIT_FSIZE,
    // with SIGXFSZ ignored: a write past it fails with EFBIG, as on a full disk).
    long long fileSizeLimit = -1;
    int userId = -1;                  // another user to run as (a root test only); -1: the test's own
    std::vector<int> ignoredSignals;  // ignored from the start, as under nohup; every other has its default
    std::string inputPath;            // the program's standard input; empty: the test's own
    // 0 or more caps the program's address space (RLIMIT_AS), which only a
    // program that runs natively and without AddressSanitizer can live with
    // (see limitsMemory()).
    long long memoryLimit = -1;
};

// Whether a memoryLimit caps the program's own allocations: not under an
// emulator, nor with AddressSanitizer's shadow memory.
bool limitsMemory();

// The program at `programPath` as a shell command starts it: through the
// emulator in a cross build.
std::string shellCommandOf(const std::string& programPath);

// A program started and not yet waited for, for a test that acts on it while it runs.
struct StartedProgram {
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
};

StartedProgram startProgram(const std::vector<std::string>& args, const ProgramSetting& setting);

// Waits for the program to end and collects what it printed.
ProgramRun finishProgram(const StartedProgram& started);

ProgramRun runProgram(const std::vector<std::string>& args, const ProgramSetting& setting);

// Runs the program at `programPath` with the given arguments, in the working
// directory `cwd` (empty: the current one).
ProgramRun runProgram(const std::vector<std::string>& args, const std::string& cwd = "",
                      const std::string& programPath = PM5544_BIN);

// Runs pm5544 with its standard output on a pipe, of which the first
// `readBytes` bytes are read (fewer when the program ends first) before the
// pipe is closed, as a reader that stops does. `out` holds what was read.
ProgramRun runProgramIntoReader(const std::vector<std::string>& args, std::size_t readBytes);

// Runs pm5544 with `options` and the file name `name` in the test's folder
// (testTempDir()), expecting success; returns the file's path.
std::string renderWithPm5544(const std::vector<std::string>& options, const std::string& name);

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);
