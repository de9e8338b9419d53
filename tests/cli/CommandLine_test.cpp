// The command line as a user meets it: argument lists in, messages, files and
// exit statuses out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "PatternRender.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "tools/ColourKeywords.h"

namespace {

const char* const kMissingName = "Error: Filename not given\n";
const char* const kTwelveBits = "Error: Vanto/Keplo patterns need to be rendered in 12 bit (-b 12)";
const char* const kPat422 =
    "Error: Vanto/Keplo YCbCr 422 patterns must be rendered in YCbCr 422 (-c 709 -s 422).\n"
    "2020 will work but is not yet supported by Vanto or Keplo.";
const char* const kRgbAxes = "Error: Vanto/Keplo RGB patterns must be rendered using RGB (-c RGB-headroom) 444";
const char* const kXyzAxes = "Error: Vanto/Keplo XYZ patterns must be rendered using RGB 444 (-c RGB-headroom)";
const char* const kYc4 = "Error: Vanto/Keplo yc4 files must be rendered in YCbCr 444 (-s 444)";

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool startsWith(const std::string& text, const std::string& head)
{
    return text.compare(0, head.size(), head) == 0;
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string selfTestHeader(const std::vector<std::string>& args)
{
    ProgramRun run = runProgram(args);
    EXPECT_EQ(run.status, 1);
    return run.out.substr(0, run.out.find("\n", run.out.find("Pixel aspect")) + 1);
}

// The DPX descriptor byte tells which colour space the driver chose.
int dpxDescriptor(const std::vector<std::string>& colourArgs)
{
    const std::string dir = testTempDir();
    std::vector<std::string> args = colourArgs;
    args.insert(args.end(), {"-d", "64x48", "card.dpx"});
    ProgramRun run = runProgram(args, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string data = readFile(dir + "/card.dpx");
    return data.size() > 800 ? static_cast<unsigned char>(data[800]) : -1;
}

}  // namespace

TEST(MissingFileName, ReportedOnStandardErrorWithStatus1)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"-b", "10"}, {"-i", "out.png"}, {"-c", "709", "-s", "422"}}) {
        ProgramRun run = runProgram(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, kMissingName);
        EXPECT_EQ(run.out, "");
    }
}

TEST(SelfTest, NeedsNoFileNameAndEndsWithStatus1)
{
    EXPECT_EQ(selfTestHeader({"-u"}), "Width x Height: 1920x1080\nAspect: 16:9\nPixel aspect: 1:1.000\n");
    EXPECT_EQ(selfTestHeader({"-d", "720x576", "-a", "4x3", "-u", "ignored.png"}),
              "Width x Height: 720x576\nAspect: 4:3\nPixel aspect: 1:0.938\n");
}

TEST(OptionValues, SizeWithoutHeightLaterOverridesAndTrailingOption)
{
    EXPECT_EQ(selfTestHeader({"-d", "1280", "-u"}), "Width x Height: 1280x1080\nAspect: 16:9\nPixel aspect: 1:0.667\n");
    EXPECT_EQ(selfTestHeader({"-d", "640x480", "-d", "720x576", "-u"}).substr(0, 24), "Width x Height: 720x576\n");
    // A value option standing last has nothing to read and is ignored.
    EXPECT_EQ(selfTestHeader({"-u", "-d"}).substr(0, 33), "Width x Height: 1920x1080\nAspect:");
    // -i consumes the next argument, even when it looks like an option.
    EXPECT_EQ(selfTestHeader({"-i", "-d", "720x576", "-u"}).substr(0, 33), "Width x Height: 1920x1080\nAspect:");
}

TEST(ColourOption, UnknownKeywordStopsTheRun)
{
    ProgramRun run = runProgram({"-c", "foo", "out.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: Unrecognised Colour Space foo\n");
    EXPECT_EQ(run.out, "");
    // Keywords are case-sensitive and exact.
    EXPECT_EQ(runProgram({"-c", "rgb", "-u"}).err, "Error: Unrecognised Colour Space rgb\n");
    EXPECT_EQ(runProgram({"-c", "S-Log3-live", "-u"}).err, "Error: Unrecognised Colour Space S-Log3-live\n");
}

TEST(ColourOption, EveryKeywordChoosesItsDpxDescriptor)
{
    // R'G'B' (50) for the two SDR R'G'B' axes; 4:4:4 Y'CbCr (102) only for
    // Rec. 709 sampled 4:4:4; 4:2:2 Y'CbCr (100) for everything else,
    // Rec. 2020 and the HDR R'G'B' axes included.
    for (std::size_t i = 0; i < ColourKeywords::kCount; ++i) {
        const ColourKeywords::Keyword& k = ColourKeywords::kTable[i];
        const bool rgb = k.axes == PatternGen::Colour_RGB || k.axes == PatternGen::Colour_RGB_219;
        EXPECT_EQ(dpxDescriptor({"-c", k.text, "-s", "444"}), rgb                                      ? 50
                                                              : k.axes == PatternGen::Colour_YCbCr_709 ? 102
                                                                                                       : 100)
            << k.text;
        EXPECT_EQ(dpxDescriptor({"-c", k.text, "-s", "422"}), rgb ? 50 : 100) << k.text;
    }
    EXPECT_EQ(dpxDescriptor({}), 50);                                      // default full-range RGB
    EXPECT_EQ(dpxDescriptor({"-c", "709"}), 102);                          // sampled 4:4:4 unless told
    EXPECT_EQ(dpxDescriptor({"-c", "709", "-c", "2021"}), 102);            // other numbers change nothing
    EXPECT_EQ(dpxDescriptor({"-c", "709", "-c", ""}), 102);                // nor does an empty value
    EXPECT_EQ(dpxDescriptor({"-c", "709", "-s", "400"}), 102);             // any other sampling number is 444
    EXPECT_EQ(dpxDescriptor({"-c", "709", "-s", "422", "-s", "x"}), 100);  // a non-number leaves it
}

TEST(PatternFileChecks, MessagesInOrderOnStandardOutput)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"card.pat"}, kPat422},
        {{"-c", "2020", "-s", "444", "card.pat"}, kPat422},
        {{"-b", "10", "-c", "709", "-s", "422", "card.yc4"}, kTwelveBits},  // bit depth is checked first
        {{"-b", "10", "card.pat"}, kTwelveBits},
        {{"-c", "RGB", "card.rgb"}, kRgbAxes},
        {{"-c", "709", "card.rgb"}, kRgbAxes},
        {{"-c", "709", "card.xyz"}, kXyzAxes},
        {{"-c", "709", "-s", "422", "card.yc4"}, kYc4},
        {{"-c", "RGB-headroom", "card.yc4"}, kYc4},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-d", "64x48"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProgramRun run = runProgram(args, testTempDir());
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_TRUE(endsWith(run.out, c.message)) << run.out;
        EXPECT_TRUE(startsWith(run.out, "size 64x48\n")) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST(FileName, UnmatchedArgumentsBecomeTheNameAndTheLastWins)
{
    const std::string dir = testTempDir();
    ProgramRun run = runProgram({"-x", "-d", "64x48", "first.png", "-i", "skipped.png", "second.png"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fileExists(dir + "/second.png"));
    EXPECT_FALSE(fileExists(dir + "/first.png"));
    EXPECT_FALSE(fileExists(dir + "/skipped.png"));
    EXPECT_FALSE(fileExists(dir + "/-x"));

    // "-b12" is not the option -b: it is a file name without a dot.
    run = runProgram({"-d", "64x48", "-b12"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(endsWith(run.out, "Writing PNG file by default\n")) << run.out;
    EXPECT_EQ(readFile(dir + "/-b12").substr(1, 3), "PNG");
}

TEST(ProgressLines, ExactlyAsPrinted)
{
    const std::string dir = testTempDir();
    ProgramRun run = runProgram({"-d", "64x48", "card.png"}, dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "size 64x48\nWidth x Height: 64x48\nAspect: 16:9\nPixel aspect: 1:0.750\n"
              "writing to: card.png\nWriting png file\n");
    EXPECT_EQ(run.err, "");

    // Any unknown extension gets PNG data under its own name.
    run = runProgram({"-d", "64x48", "card.jpg"}, dir);
    EXPECT_TRUE(endsWith(run.out, "writing to: card.jpg\nWriting jpg file\n"));
    EXPECT_EQ(readFile(dir + "/card.jpg").substr(1, 3), "PNG");

    run = runProgram({"-d", "64x48", "card.tif"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(endsWith(run.out, "writing to: card.tif\nWriting tif file\n")) << run.out;
}

TEST(WriterFailures, MessageAndStatus1)
{
    const std::string missing = testTempDir() + "/no/such/folder";
    struct Case {
        std::string name;
        std::string kind;
    };
    for (const Case& c : {Case{missing + "/card.png", "PNG"}, Case{missing + "/card", "PNG"},
                          Case{missing + "/card.dpx", "DPX"}, Case{missing + "/card.tif", "TIFF"}}) {
        ProgramRun run = runProgram({"-d", "64x48", c.name});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(endsWith(run.out, "Failed to write " + c.kind + " file " + c.name + "\n")) << run.out;
    }
    ProgramRun tiff = runProgram({"-d", "64x48", missing + "/card.tif"});
    EXPECT_TRUE(
        endsWith(tiff.err, "Could not create tiff file\nError: " + missing + "/card.tif: No such file or directory\n"))
        << tiff.err;

    ProgramRun pattern = runProgram({"-d", "64x48", "-c", "709", "-s", "422", missing + "/card.pat"});
    EXPECT_EQ(pattern.status, 1);
    EXPECT_EQ(pattern.err, "Error: Can't save file: " + missing + "/card.pat\n");

    // Write errors of a pattern file end their text in a newline of their own;
    // the report adds no second one.
    const std::string full = testTempDir() + "/full.pat";
    unlink(full.c_str());  // left by an earlier run
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    pattern = runProgram({"-d", "1280x720", "-c", "709", "-s", "422", full});
    EXPECT_EQ(pattern.status, 1);
    EXPECT_TRUE(startsWith(pattern.err, "Error: Problem ")) << pattern.err;
    EXPECT_EQ(pattern.err.find("\n"), pattern.err.size() - 1) << pattern.err;
}

TEST(RenderingErrors, ReportedWithoutAnAbort)
{
    ProgramRun run = runProgram({"-d", "64x48", "-q", "TL", "card.png"}, testTempDir());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: Quadrant mode is depracated\n");
}

TEST(UnusableSettings, RefusedBeforeRendering)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-b", "4", "card.png"},
                                                 {"-b", "17", "card.png"},
                                                 {"-d", "0x0", "card.png"},
                                                 {"-d", "64x-5", "card.png"},
                                                 {"-a", "0x9", "card.png"},
                                                 {"-d", "100000x100000", "card.png"},
                                                 // more than 64 bits with the aspect
                                                 {"-d", "2147483647x2147483647", "-a", "2147483647x2", "card.png"}}) {
        ProgramRun run = runProgram(args, testTempDir());
        EXPECT_EQ(run.status, 1) << args[1];
        EXPECT_EQ(run.out, "") << args[1];
        EXPECT_TRUE(startsWith(run.err, "Error: ")) << run.err;
    }
    // A pattern file at an unusable depth gets the instruments' own message.
    ProgramRun run = runProgram({"-b", "0", "card.pat"}, testTempDir());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kTwelveBits);
}

TEST(FontDirectory, BesideTheProgramFolder)
{
    const std::string dir = testTempDir();
    rmdir((dir + "/fonts").c_str());  // left by an earlier run
    mkdir((dir + "/bin").c_str(), 0755);
    EXPECT_EQ(PatternRender::fontDirectoryFor("/prog"), "");
    EXPECT_EQ(PatternRender::fontDirectoryFor((dir + "/bin/prog").c_str()), "");  // no fonts folder yet
    mkdir((dir + "/fonts").c_str(), 0755);
    EXPECT_EQ(PatternRender::fontDirectoryFor((dir + "/bin/prog").c_str()), dir + "/bin/../fonts");
    EXPECT_EQ(PatternRender::fontDirectoryFor((dir + "\\bin\\prog").c_str()), "");
    EXPECT_EQ(PatternRender::fontDirectoryFor("prog-without-folder"), "");
}

// -fr is accepted and changes nothing on this card: its colours are given as
// studio-range codes for every colour space. Every colour space as a PNG, and
// every other kind once, is the same file with and without it.
TEST(FullRangeOption, ChangesNothingOnThisCard)
{
    std::vector<std::vector<std::string>> cases;
    for (std::size_t i = 0; i < ColourKeywords::kCount; ++i) {
        cases.push_back({"-c", ColourKeywords::kTable[i].text, "-s", "422", "-b", "10", "card.png"});
    }
    cases.push_back({"-c", "601", "card.tif"});
    cases.push_back({"-c", "HLG", "-s", "422", "card.dpx"});
    cases.push_back({"-c", "709", "-s", "422", "card.pat"});
    cases.push_back({"-c", "S-Log3", "card.yc4"});
    cases.push_back({"-c", "RGB-PQ", "card.rgb"});
    cases.push_back({"-c", "RGB-headroom", "card.xyz"});
    const std::string dir = testTempDir();
    for (const char* folder : {"/studio", "/full"}) mkdir((dir + folder).c_str(), 0755);
    for (std::vector<std::string> args : cases) {
        args.insert(args.begin(), {"-d", "96x54"});
        const ProgramRun studio = runProgram(args, dir + "/studio");
        args.insert(args.begin(), "-fr");
        const ProgramRun full = runProgram(args, dir + "/full");
        const std::string what = testing::PrintToString(args);
        EXPECT_EQ(studio.status, 0) << what << studio.err;
        EXPECT_EQ(full.status, studio.status) << what;
        EXPECT_EQ(full.out, studio.out) << what;
        std::string studioFile = readFile(dir + "/studio/" + args.back());
        std::string fullFile = readFile(dir + "/full/" + args.back());
        if (endsWith(args.back(), ".dpx")) {  // all but the creation time
            studioFile.erase(136, 24);
            fullFile.erase(136, 24);
        }
        EXPECT_TRUE(fullFile == studioFile) << what << ": the files differ";
    }
}
