// Every output kind as a user meets a disk that fills up, a device that
// refuses writes, a missing folder, a name that cannot be a file, a file the
// user may not write and a link: a failure is always reported with the
// system's reason, a good file is never harmed, nothing half-written is left
// behind.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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
                  long long fileSizeLimit = -1, int userId = -1)
{
    std::vector<std::string> args = kind.settings;
    args.insert(args.end(), {"-d", size, name});
    ProgramSetting setting;
    setting.fileSizeLimit = fileSizeLimit;
    setting.userId = userId;
    return runProgram(args, setting);
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The image writers' line on standard output, and the system's reason on
// standard error; the pattern files' one line of their own.
void expectFailureReported(const ProgramRun& run, const Kind& kind, const std::string& name, const std::string& reason)
{
    EXPECT_EQ(run.status, 1) << kind.extension << run.out << run.err;
    if (kind.failureName.empty()) {
        EXPECT_EQ(run.err.rfind("Error: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    } else {
        EXPECT_TRUE(endsWith(run.out, "Failed to write " + kind.failureName + " file " + name + "\n")) << run.out;
        EXPECT_TRUE(endsWith(run.err, "Error: " + name + ": " + reason + "\n")) << kind.extension << ": " << run.err;
    }
}

// A folder of the test's own, emptied of what an earlier run left.
std::string freshFolder(const std::string& name)
{
    const std::string dir = testTempDir() + "/" + name;
    std::filesystem::remove_all(dir);
    mkdir(dir.c_str(), 0755);
    return dir;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
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
        expectFailureReported(render(kind, name), kind, name, "No space left on device");
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
        expectFailureReported(render(kind, name, "512x288", static_cast<long long>(good.size() / 2)), kind, name,
                              "File too large");
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
        expectFailureReported(run, kind, name, "No such file or directory");
        if (kind.failureName.empty()) {
            EXPECT_EQ(run.err, "Error: Can't save file: " + name + "\n");
        } else if (kind.extension == "tif") {
            EXPECT_EQ(run.err, "TIFFOpen: " + name +
                                   ": No such file or directory.\nCould not create tiff file\nError: " + name +
                                   ": No such file or directory\n");
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

        expectFailureReported(render(kind, link, "512x288", static_cast<long long>(good.size() / 2)), kind, link,
                              "File too large");
        EXPECT_EQ(readFile(file), good) << kind.extension;

        ASSERT_EQ(render(kind, link, "512x288").status, 0) << kind.extension;
        struct stat info {};
        ASSERT_EQ(lstat(link.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << kind.extension;
        EXPECT_NE(readFile(file), good) << kind.extension;
        EXPECT_EQ(filesIn(dir).size(), 2u) << kind.extension;
    }
}

// A folder in the file's place is refused when the file is opened; a name
// longer than a folder entry can hold is only refused by the final rename,
// which must then fail the run and take the complete temporary file away.
TEST(WriteFailure, ANameThatCannotBeAFileFailsWithTheSystemsReason)
{
    const struct {
        std::string name;
        const char* reason;
    } cases[] = {{"folder", "Is a directory"}, {std::string(256, 'n'), "File name too long"}};
    for (const Kind& kind : kKinds) {
        for (const auto& c : cases) {
            const std::string dir = freshFolder(kind.extension);
            const std::string name = dir + "/" + c.name + "." + kind.extension;
            mkdir((dir + "/folder." + kind.extension).c_str(), 0755);
            writeFile(dir + "/folder." + kind.extension + "/kept", "kept");

            expectFailureReported(render(kind, name), kind, name, c.reason);
            EXPECT_EQ(filesIn(dir), std::vector<std::string>{"folder." + kind.extension}) << kind.extension << c.reason;
            EXPECT_EQ(readFile(dir + "/folder." + kind.extension + "/kept"), "kept");
        }
    }
}

// The shell's ">" decides: a user may not replace a file they could not
// write (status 1, the file as it was), while root writes anything.
TEST(WriteFailure, AFileTheUserCouldNotWriteIsLeftAlone)
{
    const passwd* nobody = getpwnam("nobody");
    const bool root = geteuid() == 0;
    if (root && nobody == nullptr) GTEST_SKIP() << "no user to run as";
    const int user = root ? static_cast<int>(nobody->pw_uid) : -1;
    const std::string dir = freshFolder("files");
    chmod(dir.c_str(), 0777);  // the user may create files here
    const struct {
        const char* name;
        mode_t mode;
    } files[] = {{"read-only", 0444}, {"others-read", 0644}};
    for (const Kind& kind : kKinds) {
        for (const auto& f : files) {
            const std::string name = dir + "/" + f.name + "." + kind.extension;
            writeFile(name, "the user's own");
            chmod(name.c_str(), f.mode);
            if (root && f.mode == 0444) chown(name.c_str(), nobody->pw_uid, nobody->pw_gid);

            expectFailureReported(render(kind, name, "256x144", -1, user), kind, name, "Permission denied");
            EXPECT_EQ(readFile(name), "the user's own") << kind.extension << " " << f.name;
            EXPECT_EQ(permissions(name), f.mode) << kind.extension;
        }
        if (root) {
            const std::string name = dir + "/read-only." + kind.extension;
            ASSERT_EQ(render(kind, name).status, 0) << kind.extension;
            EXPECT_NE(readFile(name), "the user's own") << kind.extension;
            EXPECT_EQ(permissions(name), 0444u) << kind.extension;
        }
    }
    EXPECT_EQ(filesIn(dir).size(), 2 * std::size(kKinds));
}
