// The options of a stream (--format, --frames, --rate, --field-order): values
// that are missing or malformed, kinds that hold one frame, canvases Y4M
// cannot carry, and readers that stop reading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/Y4mReader.h"

namespace {

// A refused command line: status 1, a message naming what was wrong, no file.
void expectRefused(const std::vector<std::string>& options, const std::string& named)
{
    const std::string dir = emptyTempDir();
    // The name first, so that an option missing its value stands last.
    std::vector<std::string> args = {"-d", "64x36", "card.y4m"};
    args.insert(args.end(), options.begin(), options.end());
    // A limit on the file's size, so that a stream that should have been
    // refused cannot fill the disk.
    ProgramSetting setting;
    setting.cwd = dir;
    setting.fileSizeLimit = 1 << 20;
    const ProgramRun run = runProgram(args, setting);
    std::string line;
    for (const std::string& a : options) line += a + " ";
    EXPECT_EQ(run.status, 1) << line;
    EXPECT_EQ(run.err.rfind("Error: ", 0), 0u) << line << run.err;
    EXPECT_NE(run.err.find(named), std::string::npos) << line << run.err;
    EXPECT_TRUE(filesIn(dir).empty()) << line;
}

}  // namespace

TEST(StreamOptions, MissingAndMalformedValuesAreRefused)
{
    const struct {
        std::vector<std::string> options;
        std::string named;
    } cases[] = {
        {{"--rate"}, "--rate needs a value"},
        {{"--frames"}, "--frames needs a value"},
        {{"--format"}, "--format needs a value"},
        {{"--field-order"}, "--field-order needs a value"},
        {{"--rate", "0"}, "--rate 0:"},
        {{"--rate", "25/0"}, "--rate 25/0:"},
        {{"--rate", "0:1"}, "--rate 0:1:"},
        {{"--rate", "-25"}, "--rate -25:"},
        {{"--rate", "29.97"}, "--rate 29.97:"},
        {{"--rate", "30000/"}, "--rate 30000/:"},
        {{"--rate", "2147483648"}, "--rate 2147483648:"},
        {{"--frames", "x"}, "--frames x:"},
        {{"--frames", "-1"}, "--frames -1:"},
        {{"--frames", "99999999999999999999"}, "--frames 99999999999999999999:"},
        {{"--format", "jpg"}, "--format jpg:"},
        {{"--format", "Y4M"}, "--format Y4M:"},
        {{"--field-order", "top"}, "--field-order top:"},
    };
    for (const auto& c : cases) expectRefused(c.options, c.named);
}

TEST(StreamOptions, OnlyY4mHoldsMoreThanOneFrame)
{
    for (const char* kind : {"png", "tif", "dpx", "pat"})
        expectRefused({"--frames", "2", "--format", kind}, "--frames 2");
    expectRefused({"--frames", "0", "--format", "png"}, "--frames 0");
}

TEST(StreamOptions, RgbCanvasesAreRefusedNamingTheKindsThatCarryThem)
{
    expectRefused({"-c", "RGB"}, "RGB is R'G'B'");
    expectRefused({"-c", "RGB-headroom"}, "rgb, xyz");
    expectRefused({"-c", "RGB-HLG-Mapped", "-b", "10"}, "RGB-HLG-Mapped");
}

TEST(StreamOptions, AHeaderOverEightyBytesIsRefused)
{
    expectRefused({"-d", "7680x4320", "-c", "709", "-s", "420", "-b", "8", "--rate", "2147483647/2147483646"}, "80");
}

TEST(StreamOptions, EndlessStreamToAFileIsRefused)
{
    expectRefused({"-c", "709", "--frames", "0"}, "--frames 0");
}

TEST(StreamOptions, ClipHeaderAndFramesFollowTheOptions)
{
    const std::string dir = emptyTempDir();
    const ProgramRun run = runProgram({"-d", "720x576", "-a", "4x3", "-c", "601", "-s", "422", "-b", "10", "--frames",
                                       "3", "--rate", "30000:1001", "--field-order", "bff", "clip.y4m"},
                                      dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const Y4mStream s = readY4m(dir + "/clip.y4m");
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.header, "YUV4MPEG2 W720 H576 F30000:1001 Ib A16:15 C422p10 XCOLORRANGE=LIMITED");
    ASSERT_EQ(s.frames.size(), 3u);
    EXPECT_EQ(s.frames[1], s.frames[0]);
    EXPECT_EQ(s.frames[2], s.frames[0]);

    // -fr changes none of the card's codes, which stay on the studio range.
    const ProgramRun full = runProgram({"-d", "64x36", "-c", "709", "-fr", "full.y4m"}, dir);
    ASSERT_EQ(full.status, 0) << full.err;
    EXPECT_EQ(readY4m(dir + "/full.y4m").header, "YUV4MPEG2 W64 H36 F25:1 Ip A1:1 C444p12 XCOLORRANGE=LIMITED");
}

TEST(StreamOptions, AReaderThatStopsEndsAnEndlessStreamQuietly)
{
    const ProgramRun run =
        runProgramIntoReader({"-d", "64x36", "-c", "709", "--frames", "0", "--format", "y4m", "-"}, 100000);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.size(), 100000u);
    EXPECT_EQ(run.err.find("Error"), std::string::npos) << run.err;
}

TEST(StreamOptions, AReaderThatStopsBeforeTheLastFrameIsAFailure)
{
    // 64x36 at 4:4:4, 12 bits: 13830 bytes a frame; the reader takes about three.
    const ProgramRun run =
        runProgramIntoReader({"-d", "64x36", "-c", "709", "--frames", "1000", "--format", "y4m", "-"}, 45000);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Error: -: the reader stopped after "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" of 1000 frames"), std::string::npos) << run.err;
}

TEST(StreamOptions, AClipThatDoesNotFitLeavesTheGoodFileAndNoTemporaryFile)
{
    const std::string dir = emptyTempDir();
    const std::vector<std::string> args = {"-d", "64x36", "-c", "709", "--frames", "4", "card.y4m"};
    ASSERT_EQ(runProgram(args, dir).status, 0);
    const std::string good = readFile(dir + "/card.y4m");

    // Another picture, twice as long: whatever part of it were written would differ.
    std::vector<std::string> longer = args;
    longer[3] = "601";
    longer[5] = "8";
    ProgramSetting limited;
    limited.cwd = dir;
    limited.fileSizeLimit = static_cast<long long>(good.size());
    const ProgramRun run = runProgram(longer, limited);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: card.y4m: File too large\n");
    EXPECT_EQ(readFile(dir + "/card.y4m"), good);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"card.y4m"});

    const ProgramRun missing = runProgram({"-c", "709", "no/such/card.y4m"}, dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Error: no/such/card.y4m: No such file or directory\n");
}
