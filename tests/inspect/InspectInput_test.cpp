// Where the file comes from and where the outputs go: every kind read once
// from a pipe or standard input ("-") as from its name; an output that is the
// input refused; settings pm5544 refuses refused in its words; and text a
// file carries escaped before it reaches the terminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "InspectRun.h"

namespace {

struct Card {
    const char* name;
    std::vector<std::string> options;  // pm5544's, and the inspector's
};

const std::vector<Card> kCards = {
    {"card.png", {"-d", "96x54", "-c", "709", "-s", "422", "-b", "10"}},
    {"card.tif", {"-d", "96x54", "-c", "709"}},
    {"card.dpx", {"-d", "96x54", "-c", "709", "-b", "10"}},
    {"card.pat", {"-d", "96x54", "-c", "709", "-s", "422"}},
    {"card.xyz", {"-d", "96x54", "-c", "RGB-headroom"}},
};

ProgramRun inspectShell(const std::string& command)
{
    return runProgram({"-c", command}, testTempDir(), "/bin/sh");
}

}  // namespace

TEST(InspectInput, EveryKindReadsTheSameFromAPipeAndFromStandardInput)
{
    for (const Card& c : kCards) {
        const std::string path = renderWithPm5544(c.options, c.name);
        const ProgramRun named = inspect(with(with(c.options, "--compare"), path));
        EXPECT_EQ(named.status, 0) << c.name << named.out << named.err;
        const ProgramRun standard = inspectWith(with(with(c.options, "--compare"), "-"), path);
        EXPECT_EQ(standard.status, 0) << c.name << standard.err;
        EXPECT_NE(standard.out.find("result: identical"), std::string::npos) << c.name << standard.out;
        const ProgramRun summary = inspectWith({"-"}, path);
        EXPECT_NE(summary.out.find("file:                    standard input"), std::string::npos) << summary.out;
        EXPECT_NE(summary.out.find("state:                   intact"), std::string::npos) << c.name << summary.out;
    }
    // A pipe named as a file is read once, not opened twice.
    const std::string card = renderWithPm5544(kCards[0].options, "piped.png");
    const ProgramRun piped =
        inspectShell("cat " + card + " | " + shellCommandOf(PM5544_INSPECT_BIN) + " -c 709 --compare /dev/stdin");
    EXPECT_EQ(piped.status, 0) << piped.out << piped.err;
    EXPECT_NE(piped.out.find("result: identical"), std::string::npos) << piped.out;
}

TEST(InspectInput, AnOutputThatIsTheInputIsRefused)
{
    const std::string card = renderWithPm5544({"-d", "96x54"}, "same.png");
    const std::string before = readFile(card);
    const std::string dir = testTempDir();
    const std::string symbolic = dir + "/symbolic.png";
    const std::string hard = dir + "/hard.png";
    unlink(symbolic.c_str());
    unlink(hard.c_str());
    ASSERT_EQ(symlink(card.c_str(), symbolic.c_str()), 0);
    ASSERT_EQ(link(card.c_str(), hard.c_str()), 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--preview", card, card},
             {"--preview", symbolic, card},
             {"--preview", hard, card},
             {"--compare", "--diff", card, card},
             {"--measure", "--json", hard, card},
             {"--measure", "--report", symbolic, card},
         }) {
        const ProgramRun run = inspect(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_NE(run.err.find("is the file being inspected"), std::string::npos) << run.err;
        EXPECT_EQ(readFile(card), before) << testing::PrintToString(args);
    }
    const ProgramRun fromStandardInput = inspectWith({"--preview", card, "-"}, card);
    EXPECT_EQ(fromStandardInput.status, 2) << fromStandardInput.err;
    EXPECT_EQ(readFile(card), before);
}

TEST(InspectInput, BitDepthsPm5544RefusesAreRefusedInItsWords)
{
    const std::string card = renderWithPm5544({"-d", "96x54", "-c", "709"}, "depth.png");
    for (const char* depth : {"0", "1", "7", "17", "-3"}) {
        const ProgramRun run = inspect({"-b", depth, "--preview", testTempDir() + "/d.png", card});
        EXPECT_EQ(run.status, 2) << depth;
        EXPECT_NE(run.err.find(std::string("Bit depth ") + depth + " is not supported (use 8 to 16)"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(inspect({"-b", "8", card}).status, 0);
}

TEST(InspectInput, TextFromTheFileReachesTheTerminalEscaped)
{
    const std::string path = renderWithPm5544({"-d", "96x54"}, "text.dpx");
    std::string bytes = readFile(path);
    const std::string creator = "\x1b]0;owned\x07\x1b[2J\x9b";
    bytes.replace(160, creator.size(), creator);
    writeBytes(path, bytes);
    const ProgramRun run = inspect({path});
    EXPECT_NE(run.out.find("\"\\x1b]0;owned\\x07\\x1b[2J\\x9b\""), std::string::npos) << run.out;
    for (const std::string& text : {run.out, run.err}) {
        for (const char c : text) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    }
}
