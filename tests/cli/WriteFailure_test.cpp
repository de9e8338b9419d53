// Every output kind as a user meets a disk that fills up, a device that
// refuses writes, a missing folder and a link: a failure is always reported,
// a good file is never harmed, nothing half-written is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

struct Kind {
    std::string extension;
    std::vector<std::string> settings;
    std::string failureName;  // of "Failed to write %s file"; empty: reported as "Error: " and the reason
};

const Kind kKinds[] = {
    {"png", {"-c", "709", "-s", "422", "-b", "10"}, "PNG"},
    {"dpx", {"-c", "709", "-s", "422", "-b", "10"}, "DPX"},
    {"tif", {"-c", "PQ", "-b", "10"}, "TIFF"},
    {"pat", {"-c", "709", "-s", "422"}, ""},
    {"yc4", {"-c", "HLG"}, ""},
    {"rgb", {"-c", "RGB-headroom"}, ""},
    {"xyz", {"-c", "RGB-PQ"}, ""},
};

ProgramRun render(const Kind& kind, const std::string& name, const std::string& size = "256x144",
                  long long fileSizeLimit = -1)
{
    std::vector<std::string> args = kind.settings;
    args.insert(args.end(), {"-d", size, name});
    ProgramSetting setting;
    setting.fileSizeLimit = fileSizeLimit;
    return runProgram(args, setting);
}

void expectFailureReported(const ProgramRun& run, const Kind& kind, const std::string& name)
{
    EXPECT_EQ(run.status, 1) << kind.extension << run.out << run.err;
    if (kind.failureName.empty()) {
        EXPECT_EQ(run.err.rfind("Error: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    } else {
        const std::string text = "Failed to write " + kind.failureName + " file " + name + "\n";
        EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), text.size())), text) << run.out;
    }
}

mode_t permissions(const std::string& path)
{
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

}  // namespace

TEST(WriteFailure, ADeviceThatRefusesWritesIsReported)
{
    for (const Kind& kind : kKinds) {
        const std::string name = testTempDir() + "/full." + kind.extension;
        unlink(name.c_str());
        ASSERT_EQ(symlink("/dev/full", name.c_str()), 0);
        expectFailureReported(render(kind, name), kind, name);
    }
}

TEST(WriteFailure, AFullDiskLeavesTheGoodFileAndNoTemporaryFile)
{
    for (const Kind& kind : kKinds) {
        const std::string dir = testTempDir() + "/" + kind.extension;
        mkdir(dir.c_str(), 0755);
        const std::string name = dir + "/card." + kind.extension;
        ASSERT_EQ(render(kind, name).status, 0) << kind.extension;
        chmod(name.c_str(), 0640);
        const std::string good = readFile(name);

        // The file would be twice the size the disk has room for: it fails halfway.
        expectFailureReported(render(kind, name, "512x288", static_cast<long long>(good.size() / 2)), kind, name);
        EXPECT_EQ(readFile(name), good) << kind.extension;
        EXPECT_EQ(filesIn(dir), std::vector<std::string>{"card." + kind.extension}) << kind.extension;

        // Replaced when it can be written, keeping its permission bits.
        ASSERT_EQ(render(kind, name, "512x288").status, 0) << kind.extension;
        EXPECT_NE(readFile(name), good) << kind.extension;
        EXPECT_EQ(permissions(name), 0640u) << kind.extension;
    }
}

TEST(WriteFailure, AMissingFolderCreatesNothing)
{
    const std::string dir = testTempDir();
    for (const Kind& kind : kKinds) {
        const std::string name = dir + "/no/such/card." + kind.extension;
        const ProgramRun run = render(kind, name);
        expectFailureReported(run, kind, name);
        if (kind.failureName.empty()) {
            EXPECT_EQ(run.err, "Error: Can't save file: " + name + "\n");
        } else if (kind.extension == "tif") {
            EXPECT_EQ(run.err, "TIFFOpen: " + name + ": No such file or directory.\nCould not create tiff file\n");
        }
    }
    EXPECT_TRUE(filesIn(dir).empty());
}

TEST(WriteFailure, ALinkToAGoodFileReplacesTheFileNotTheLink)
{
    for (const Kind& kind : kKinds) {
        const std::string dir = testTempDir() + "/" + kind.extension;
        mkdir(dir.c_str(), 0755);
        const std::string file = dir + "/real." + kind.extension;
        const std::string link = dir + "/link." + kind.extension;
        ASSERT_EQ(render(kind, file).status, 0);
        const std::string good = readFile(file);
        unlink(link.c_str());
        ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);

        expectFailureReported(render(kind, link, "512x288", static_cast<long long>(good.size() / 2)), kind, link);
        EXPECT_EQ(readFile(file), good) << kind.extension;

        ASSERT_EQ(render(kind, link, "512x288").status, 0) << kind.extension;
        struct stat info {};
        ASSERT_EQ(lstat(link.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << kind.extension;
        EXPECT_NE(readFile(file), good) << kind.extension;
        EXPECT_EQ(filesIn(dir).size(), 2u) << kind.extension;
    }
}
