#include "support/RunProgram.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace {

// In the child, before the program starts: what the test asked for, and
// every other signal at its default, unblocked, whatever the test runner had.
void setUpChild(const ProgramSetting& setting)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s = 1; s < NSIG; ++s) {
        if (s != SIGKILL && s != SIGSTOP) std::signal(s, SIG_DFL);
    }
    for (int s : setting.ignoredSignals) std::signal(s, SIG_IGN);
    // A run that a test ends by a signal leaves no core file behind.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (!setting.inputPath.empty()) {
        const int inFd = open(setting.inputPath.c_str(), O_RDONLY);
        if (inFd < 0 || dup2(inFd, 0) < 0) _exit(127);
    }
    if (!setting.cwd.empty() && chdir(setting.cwd.c_str()) != 0) _exit(127);
    if (setting.memoryLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(setting.memoryLimit), static_cast<rlim_t>(setting.memoryLimit)};
        setrlimit(RLIMIT_AS, &limit);
    }
    if (setting.fileSizeLimit >= 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(setting.fileSizeLimit), static_cast<rlim_t>(setting.fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (setting.userId >= 0) {
        const auto id = static_cast<uid_t>(setting.userId);
        if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0) _exit(127);
    }
}

// In the child: starts the program with `args`; never returns.
[[noreturn]] void execProgram(const std::string& programPath, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
#ifdef PM5544_EMULATOR
    // A cross build: the emulator starts the programs built here and hands
    // them `programPath` as argv[0] (qemu's -0); a host program (a shell)
    // runs as it is.
    if (programPath == PM5544_BIN || programPath == PM5544_INSPECT_BIN) {
        for (const char* word : {PM5544_EMULATOR}) argv.push_back(const_cast<char*>(word));
        argv.push_back(const_cast<char*>("-0"));
        argv.push_back(const_cast<char*>(programPath.c_str()));
    }
#endif
    argv.push_back(const_cast<char*>(programPath.c_str()));
    const char* const executable = argv[0];
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(executable, argv.data());
    _exit(127);
}

}  // namespace

StartedProgram startProgram(const std::vector<std::string>& args, const ProgramSetting& setting)
{
    StartedProgram started;
    static int counter = 0;
    const std::string base =
        std::string(PM5544_TEST_TMP) + "/run" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    started.outPath = base + ".out";
    started.errPath = base + ".err";

    started.pid = fork();
    if (started.pid == 0) {
        int outFd = open(started.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFd = open(started.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFd, 1);
        dup2(errFd, 2);
        setUpChild(setting);
        execProgram(setting.programPath, args);
    }
    return started;
}

ProgramRun finishProgram(const StartedProgram& started)
{
    ProgramRun run;
    int status = 0;
    waitpid(started.pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readFile(started.outPath);
    run.err = readFile(started.errPath);
    std::remove(started.outPath.c_str());
    std::remove(started.errPath.c_str());
    return run;
}

ProgramRun runProgram(const std::vector<std::string>& args, const ProgramSetting& setting)
{
    return finishProgram(startProgram(args, setting));
}

ProgramRun runProgram(const std::vector<std::string>& args, const std::string& cwd, const std::string& programPath)
{
    ProgramSetting setting;
    setting.cwd = cwd;
    setting.programPath = programPath;
    return runProgram(args, setting);
}

ProgramRun runProgramIntoReader(const std::vector<std::string>& args, std::size_t readBytes)
{
    ProgramRun run;
    const std::string errPath = std::string(PM5544_TEST_TMP) + "/reader" + std::to_string(getpid()) + ".err";
    int fds[2];
    if (pipe(fds) != 0) return run;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        close(fds[1]);
        const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errFd, 2);
        setUpChild(ProgramSetting());
        execProgram(PM5544_BIN, args);
    }
    close(fds[1]);
    char chunk[65536];
    while (run.out.size() < readBytes) {
        const ssize_t n = read(fds[0], chunk, std::min(sizeof chunk, readBytes - run.out.size()));
        if (n <= 0) break;
        run.out.append(chunk, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = readFile(errPath);
    std::remove(errPath.c_str());
    return run;
}

std::string renderWithPm5544(const std::vector<std::string>& options, const std::string& name)
{
    const std::string dir = testTempDir();
    std::vector<std::string> args = options;
    args.push_back(name);
    const ProgramRun run = runProgram(args, dir);
    EXPECT_EQ(run.status, 0) << name << ": " << run.out << run.err;
    return dir + "/" + name;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string shellCommandOf(const std::string& programPath)
{
    std::string command;
#ifdef PM5544_EMULATOR
    for (const char* word : {PM5544_EMULATOR}) command += std::string(word) + " ";
#endif
    return command + programPath;
}

bool limitsMemory()
{
#if defined(PM5544_EMULATOR) || defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}
