// A run that a signal ends, or whose folder is moved while it writes, leaves
// nothing half-written: the signal takes the temporary file with it, unless
// the signal was ignored when the run began (nohup); a moved folder receives
// the finished file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TiffReader.h"

namespace {

// Large enough that the run is caught with its temporary file open.
constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr useconds_t kPollMicroseconds = 200;

std::string freshFolder(const std::string& name)
{
    const std::string dir = testTempDir() + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

bool hasEnded(pid_t pid)
{
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Starts the render of dir/card.tif and stops it while its temporary file
// exists. False when the run ended first.
bool startAndStopMidway(const std::string& dir, const ProgramSetting& setting, StartedProgram& started)
{
    started = startProgram(
        {"-d", std::to_string(kWidth) + "x" + std::to_string(kHeight), "-c", "709", dir + "/card.tif"}, setting);
    while (!hasEnded(started.pid)) {
        for (const std::string& name : filesIn(dir)) {
            if (name.rfind(".card.tif.", 0) != 0) continue;
            kill(started.pid, SIGSTOP);
            int status = 0;
            waitpid(started.pid, &status, WUNTRACED);
            return WIFSTOPPED(status) && !filesIn(dir).empty();
        }
        usleep(kPollMicroseconds);
    }
    return false;
}

}  // namespace

TEST(InterruptedRun, ASignalThatEndsTheRunRemovesTheTemporaryFile)
{
    // Real-time signals from the middle of their range: qemu-arm, which runs
    // the ARM build's tests, delivers neither the first nor the last ones.
    const int signals[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2,      SIGALRM,
                           SIGTERM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPWR,  SIGRTMIN + 4, SIGRTMAX - 4};
    for (int signal : signals) {
        const std::string dir = freshFolder("signal");
        StartedProgram run;
        ASSERT_TRUE(startAndStopMidway(dir, ProgramSetting{}, run)) << "signal " << signal << ": the run ended first";
        kill(run.pid, signal);
        kill(run.pid, SIGCONT);
        EXPECT_EQ(finishProgram(run).status, 128 + signal) << "signal " << signal;
        EXPECT_EQ(filesIn(dir), std::vector<std::string>{}) << "signal " << signal;
    }
}

TEST(InterruptedRun, ASignalIgnoredFromTheStartLetsTheRunFinish)
{
    const std::string dir = freshFolder("ignored");
    ProgramSetting nohup;
    nohup.ignoredSignals = {SIGHUP, SIGINT};
    StartedProgram run;
    ASSERT_TRUE(startAndStopMidway(dir, nohup, run));
    kill(run.pid, SIGHUP);
    kill(run.pid, SIGINT);
    kill(run.pid, SIGCONT);
    EXPECT_EQ(finishProgram(run).status, 0);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"card.tif"});
}

TEST(InterruptedRun, AFolderMovedDuringTheRunReceivesTheFinishedFile)
{
    const std::string dir = freshFolder("moved");
    const std::string before = dir + "/before";
    const std::string after = dir + "/after";
    std::filesystem::create_directory(before);
    StartedProgram run;
    ASSERT_TRUE(startAndStopMidway(before, ProgramSetting{}, run));
    std::filesystem::rename(before, after);
    kill(run.pid, SIGCONT);
    const ProgramRun finished = finishProgram(run);
    EXPECT_EQ(finished.status, 0) << finished.out << finished.err;
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"after"});
    ASSERT_EQ(filesIn(after), std::vector<std::string>{"card.tif"});
    const TiffImage image = readTiff(after + "/card.tif");
    EXPECT_TRUE(image.ok);
    EXPECT_EQ(image.width, static_cast<uint32_t>(kWidth));
    EXPECT_EQ(image.height, static_cast<uint32_t>(kHeight));
}
