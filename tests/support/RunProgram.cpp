#include "support/RunProgram.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

ProgramRun runProgram(const std::vector<std::string>& args, const std::string& cwd, const std::string& programPath,
                      long long fileSizeLimit, const std::string& inputPath, long long memoryLimit)
{
    ProgramRun run;
    static int counter = 0;
    std::string base =
        std::string(PM5544_TEST_TMP) + "/run" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    std::string outPath = base + ".out";
    std::string errPath = base + ".err";

    pid_t pid = fork();
    if (pid == 0) {
        int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (!inputPath.empty()) {
            const int inFd = open(inputPath.c_str(), O_RDONLY);
            if (inFd < 0 || dup2(inFd, 0) < 0) _exit(127);
        }
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
        if (memoryLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
#ifdef PM5544_EMULATOR
        // A cross build: the emulator starts the program and hands it
        // `programPath` as argv[0] (qemu's -0).
        for (const char* word : {PM5544_EMULATOR}) argv.push_back(const_cast<char*>(word));
        argv.push_back(const_cast<char*>("-0"));
        argv.push_back(const_cast<char*>(programPath.c_str()));
        argv.push_back(const_cast<char*>(programPath.c_str()));
        const char* const executable = argv[0];
#else
        argv.push_back(const_cast<char*>(programPath.c_str()));
        const char* const executable = programPath.c_str();
#endif
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(executable, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    std::remove(outPath.c_str());
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

bool limitsMemory()
{
#if defined(PM5544_EMULATOR) || defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}
