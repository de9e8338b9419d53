// --help and --version: answered on standard output with status 0, wherever
// they stand, and nothing else is done; single-dash arguments keep their meaning.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

TEST(HelpAndVersion, AnsweredWhereverTheyStandAndNothingIsRendered)
{
    const std::string dir = emptyTempDir();
    const ProgramRun help = runProgram({"--help"}, dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: pm5544 [options] NAME\n", 0), 0u) << help.out;

    const ProgramRun version = runProgram({"--version"}, dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(std::regex_match(version.out, std::regex("pm5544 [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;

    struct Case {
        std::vector<std::string> args;
        const ProgramRun& answer;
    };
    const Case cases[] = {
        {{"-d", "64x48", "card.png", "--help"}, help},  // after a file name
        {{"--help", "-d", "64x48", "card.png"}, help},  // before one
        {{"--version", "--help"}, help},                // help wins
        {{"-u", "--help"}, help},                       // over the self-test
        {{"-c", "nonsense", "--help"}, help},           // and over a bad value
        {{"-i", "--help"}, help},                       // even where -i would skip it
        {{"-d", "64x48", "--version", "card.tif"}, version},
    };
    for (const Case& c : cases) {
        const ProgramRun run = runProgram(c.args, dir);
        EXPECT_EQ(run.status, 0) << c.args.back();
        EXPECT_EQ(run.out, c.answer.out) << c.args.back();
        EXPECT_EQ(run.err, "") << c.args.back();
    }
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{});
}

TEST(HelpAndVersion, SingleDashAndLongerNamesStayFileNames)
{
    const std::string dir = emptyTempDir();
    for (const std::string name : {"-h", "--helpme", "--Version"}) {
        const ProgramRun run = runProgram({"-d", "64x48", name}, dir);
        EXPECT_EQ(run.status, 0) << name << run.err;
        EXPECT_EQ(readFile(dir + "/" + name).substr(1, 3), "PNG") << name;
    }
}
