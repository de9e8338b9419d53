// The name "-": every kind of file goes to standard output, which then holds
// the file alone (the same bytes as a file of that kind), while the lines
// printed for the user go to standard error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

struct Kind {
    std::string name;
    std::vector<std::string> settings;
};

const Kind kKinds[] = {
    {"png", {"-c", "709", "-s", "422", "-b", "10"}},
    {"tif", {"-c", "PQ", "-b", "10"}},
    {"dpx", {"-c", "709", "-s", "422", "-b", "10"}},
    {"pat", {"-c", "709", "-s", "422"}},
    {"yc4", {"-c", "HLG"}},
    {"rgb", {"-c", "RGB-headroom"}},
    {"xyz", {"-c", "RGB-PQ"}},
    {"y4m", {"-c", "709", "-s", "420", "-b", "10"}},
};

// A DPX header names its file and the time it was made (bytes 36 to 160).
std::string withoutNameAndTime(std::string dpx)
{
    constexpr std::size_t kNameAt = 36, kTimeEnd = 160;
    if (dpx.size() >= kTimeEnd) dpx.replace(kNameAt, kTimeEnd - kNameAt, kTimeEnd - kNameAt, '\0');
    return dpx;
}

}  // namespace

TEST(StandardOutput, EveryKindWritesTheFileAloneWithTheLinesOnStandardError)
{
    const std::string dir = emptyTempDir();
    for (const Kind& kind : kKinds) {
        std::vector<std::string> args = kind.settings;
        args.insert(args.end(), {"-d", "1280x72"});
        std::vector<std::string> named = args;
        named.push_back(dir + "/card." + kind.name);
        ASSERT_EQ(runProgram(named).status, 0) << kind.name;
        // Without --format, "-" gets PNG as a name without an extension does.
        if (kind.name != "png") args.insert(args.end(), {"--format", kind.name});
        args.push_back("-");
        const ProgramRun piped = runProgram(args);
        ASSERT_EQ(piped.status, 0) << kind.name << piped.err;

        const std::string written = readFile(dir + "/card." + kind.name);
        EXPECT_EQ(kind.name == "dpx" ? withoutNameAndTime(piped.out) : piped.out,
                  kind.name == "dpx" ? withoutNameAndTime(written) : written)
            << kind.name;
        EXPECT_NE(piped.err.find("size 1280x72\n"), std::string::npos) << kind.name << piped.err;
        const std::string writing = kind.name == "png" ? "PNG file by default" : kind.name + " file";
        EXPECT_NE(piped.err.find("Writing " + writing + "\n"), std::string::npos) << kind.name << piped.err;
    }
}

TEST(StandardOutput, RefusalsAndFailuresStayOffTheStream)
{
    const std::vector<std::string> refused[] = {
        {"-d", "1280x72", "-c", "709", "-b", "10", "--format", "yc4", "-"},  // printed on standard output otherwise
        {"-d", "64x36", "-c", "RGB", "--format", "y4m", "-"},
        {"-d", "64x36", "--frames", "2", "-"},
    };
    for (const auto& args : refused) {
        const ProgramRun run = runProgram(args);
        EXPECT_EQ(run.status, 1) << args[args.size() - 2];
        EXPECT_EQ(run.out, "") << args[args.size() - 2];
        EXPECT_NE(run.err.find("Error: "), std::string::npos) << run.err;
    }
}
