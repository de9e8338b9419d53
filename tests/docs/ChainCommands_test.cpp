// The commands of README.md's section "Into a chain" work as shown: each
// "$ " line of its sh blocks is run (with build/ the build's folder, no
// standard input), ends with status 0 (every command of a pipeline), and
// prints the lines shown under it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

struct Command {
    std::string line;
    std::string output;  // the lines shown under it, each with its newline
};

std::vector<Command> commandsOfSection(const std::string& readme, const std::string& heading)
{
    std::vector<Command> commands;
    const std::size_t start = readme.find("\n" + heading + "\n");
    if (start == std::string::npos) return commands;
    const std::size_t end = readme.find("\n## ", start + 1);
    std::istringstream lines(readme.substr(start, end - start));
    bool inBlock = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("```", 0) == 0) {
            inBlock = !inBlock && line == "```sh";
        } else if (inBlock && line.rfind("$ ", 0) == 0) {
            commands.push_back({line.substr(2), ""});
        } else if (inBlock && !commands.empty()) {
            commands.back().output += line + "\n";
        }
    }
    return commands;
}

}  // namespace

TEST(ChainCommands, EveryCommandOfIntoAChainWorksAsShown)
{
    const std::vector<Command> commands =
        commandsOfSection(readFile(std::string(PM5544_SOURCE_DIR) + "/README.md"), "## Into a chain");
    ASSERT_GE(commands.size(), 8u);

    const std::string dir = emptyTempDir();
    const std::string program = PM5544_BIN;
    const std::string buildDir = program.substr(0, program.find_last_of('/'));
    unlink((dir + "/build").c_str());
    ASSERT_EQ(symlink(buildDir.c_str(), (dir + "/build").c_str()), 0);
    for (const Command& c : commands) {
        const ProgramRun run = runProgram({"-o", "pipefail", "-c", "{ " + c.line + "; } </dev/null"}, dir, "/bin/bash");
        EXPECT_EQ(run.status, 0) << c.line << "\n" << run.err;
        EXPECT_EQ(run.out, c.output) << c.line;
    }
}
