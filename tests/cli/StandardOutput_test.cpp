// The name "-": every kind of file goes to standard output, which then holds
// the file alone (the same bytes as a file of that kind), while the lines
// printed for the user go to standard error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EveryWrittenKind.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

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
    for (const WrittenKind& kind : kEveryWrittenKind) {
        std::vector<std::string> args = kind.settings;
        args.insert(args.end(), {"-d", "1280x72"});
        std::vector<std::string> named = args;
        named.push_back(dir + "/card." + kind.extension);
        ASSERT_EQ(runProgram(named).status, 0) << kind.extension;
        // Without --format, "-" gets PNG as a name without an extension does.
        if (kind.extension != "png") args.insert(args.end(), {"--format", kind.extension});
        args.push_back("-");
        const ProgramRun piped = runProgram(args);
        ASSERT_EQ(piped.status, 0) << kind.extension << piped.err;

        const std::string written = readFile(dir + "/card." + kind.extension);
        EXPECT_EQ(kind.extension == "dpx" ? withoutNameAndTime(piped.out) : piped.out,
                  kind.extension == "dpx" ? withoutNameAndTime(written) : written)
            << kind.extension;
        EXPECT_NE(piped.err.find("size 1280x72\n"), std::string::npos) << kind.extension << piped.err;
        const std::string writing = kind.extension == "png" ? "PNG file by default" : kind.extension + " file";
        EXPECT_NE(piped.err.find("Writing " + writing + "\n"), std::string::npos) << kind.extension << piped.err;
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
