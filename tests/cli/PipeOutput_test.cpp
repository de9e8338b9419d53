// Devices and pipes are written in place, and what a pipe carries is the
// whole file: every kind written into a pipe that a reader drains as the
// bytes come (as "| cat > file" does) equals the same render written to a
// file of the same name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "EveryWrittenKind.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

// The DPX creation time, the one field that may differ between two runs.
constexpr std::size_t kDpxTimeOffset = 136;
constexpr std::size_t kDpxTimeBytes = 24;

std::string readAll(int fd)
{
    std::string bytes;
    char chunk[1 << 16];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<std::size_t>(n));
    return bytes;
}

// What the program writes into the named pipe `fifo`, read as it comes.
std::string throughPipe(const std::vector<std::string>& args, const std::string& fifo, ProgramRun& run)
{
    std::string bytes;
    std::thread reader([&] {
        const int fd = open(fifo.c_str(), O_RDONLY);
        if (fd >= 0) {
            bytes = readAll(fd);
            close(fd);
        }
    });
    run = runProgram(args);
    // A run that never opened the pipe leaves the reader waiting: a writer
    // that comes and goes lets it see the end.
    const int unblock = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (unblock >= 0) close(unblock);
    reader.join();
    return bytes;
}

std::string withoutDpxTime(std::string bytes)
{
    if (bytes.size() >= kDpxTimeOffset + kDpxTimeBytes) bytes.replace(kDpxTimeOffset, kDpxTimeBytes, kDpxTimeBytes, 0);
    return bytes;
}

}  // namespace

TEST(PipeOutput, EveryKindThroughAPipeIsTheFileItWritesByName)
{
    const std::string dir = testTempDir();
    for (const WrittenKind& kind : kEveryWrittenKind) {
        const std::string name = "card." + kind.extension;
        const std::string fileDir = dir + "/file", pipeDir = dir + "/pipe";
        std::filesystem::remove_all(fileDir);
        std::filesystem::remove_all(pipeDir);
        std::filesystem::create_directories(fileDir);
        std::filesystem::create_directories(pipeDir);
        std::vector<std::string> args = kind.settings;
        args.insert(args.end(), {"-d", "256x144"});

        args.push_back(fileDir + "/" + name);
        ASSERT_EQ(runProgram(args).status, 0) << kind.extension;
        const std::string file = readFile(fileDir + "/" + name);

        const std::string fifo = pipeDir + "/" + name;
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        args.back() = fifo;
        ProgramRun run;
        const std::string piped = throughPipe(args, fifo, run);
        EXPECT_EQ(run.status, 0) << kind.extension << run.out << run.err;
        EXPECT_GT(file.size(), 1000u) << kind.extension;
        EXPECT_EQ(piped.size(), file.size()) << kind.extension;
        EXPECT_TRUE(withoutDpxTime(piped) == withoutDpxTime(file)) << kind.extension << ": the bytes differ";
    }
}
