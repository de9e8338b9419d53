// YUV4MPEG2 streams, made here from the PNG pm5544 writes for the same
// settings (Y' its green, Cb its blue, Cr its red, at the -b depth; 11, 13
// and 15 bits carried as 12, 14 and 16 by a left shift; 4:2:2 and 4:2:0
// chroma of the even samples and lines): they compare identical with the
// card, frame by frame, from a file or from FFmpeg on a pipe, and a stream
// cut off or followed by other bytes is damaged.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "InspectRun.h"
#include "support/PngReader.h"

namespace {

struct Stream {
    const char* sampling;  // -s
    int bits;              // -b
    const char* tag;       // the C tag
    int carried;           // the depth of the samples in the stream
};

// The card is rendered with 12-bit codes: above 12 bits their low bits are
// zero, so the samples no longer show the depth, and -b tells it.
constexpr int kDepthShown = 12;

// The stream of `frames` copies of the card pm5544 writes as a PNG with these settings.
std::string y4mOf(const std::string& png, const Stream& s, int frames)
{
    const PngImage image = readPng(png);
    const int w = static_cast<int>(image.width);
    const int h = static_cast<int>(image.height);
    const bool wide = s.carried > 8;
    const int chromaStep = std::string(s.sampling) == "444" ? 1 : 2;
    const int lineStep = std::string(s.sampling) == "420" ? 2 : 1;
    std::string plane[3];
    const auto put = [&](std::string& out, uint16_t sample) {
        const unsigned code = static_cast<unsigned>(sample >> (16 - s.bits)) << (s.carried - s.bits);
        out += static_cast<char>(code & 0xFF);
        if (wide) out += static_cast<char>(code >> 8);
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) put(plane[0], image.at(x, y, 1));
        if (y % lineStep != 0) continue;
        for (int x = 0; x < w; x += chromaStep) {
            put(plane[1], image.at(x, y, 2));
            put(plane[2], image.at(x, y, 0));
        }
    }
    std::string stream = "YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " F25:1 Ip A1:1 C" + s.tag +
                         " XCOLORRANGE=LIMITED\n";
    for (int f = 0; f < frames; ++f) stream += "FRAME\n" + plane[0] + plane[1] + plane[2];
    return stream;
}

std::vector<std::string> settings(const Stream& s)
{
    return {"-d", "96x54", "-c", "709", "-s", s.sampling, "-b", std::to_string(s.bits)};
}

const std::vector<Stream> kStreams = {
    {"444", 8, "444", 8},      {"422", 8, "422", 8},      {"420", 8, "420paldv", 8}, {"420", 8, "420jpeg", 8},
    {"422", 10, "422p10", 10}, {"420", 12, "420p12", 12}, {"444", 11, "444p12", 12}, {"422", 13, "422p14", 14},
    {"420", 16, "420p16", 16}, {"444", 9, "444p9", 9},
};

}  // namespace

TEST(InspectY4m, EveryLayoutComparesIdenticalWithTheCard)
{
    for (const Stream& s : kStreams) {
        const std::string png = renderWithPm5544(settings(s), "card.png");
        const std::string path = testTempDir() + "/card.y4m";
        writeBytes(path, y4mOf(png, s, 3));
        // The depth, the sampling and the size come from the stream; the frame from --frame.
        const std::vector<std::string> depth = {"-b", std::to_string(s.bits)};
        const std::vector<std::string> given = s.bits > kDepthShown ? depth : std::vector<std::string>{};
        std::vector<std::string> args = given;
        args.insert(args.end(), {"-c", "709", "--frame", "2", "--compare", path});
        const ProgramRun compared = inspect(args);
        EXPECT_EQ(compared.status, 0) << s.tag << " " << s.bits << compared.out << compared.err;
        EXPECT_NE(compared.out.find("-s " + std::string(s.sampling) + " -b " + std::to_string(s.bits)),
                  std::string::npos)
            << s.tag << compared.out;
        const ProgramRun summary = inspect({path});
        EXPECT_EQ(summary.status, 0) << summary.err;
        EXPECT_NE(summary.out.find("frames:                  3 (frame 0 shown)"), std::string::npos) << summary.out;
        // The luma of the yellow bar, as the PNG holds it at the -b depth.
        const unsigned luma = readPng(png).at(20, 10, 1) >> (16 - s.bits);
        const ProgramRun at = inspect(with(with(with(given, "--at"), "20,10"), path));
        EXPECT_NE(at.out.find("Y' " + std::to_string(luma) + " "), std::string::npos) << s.tag << at.out;
    }
}

TEST(InspectY4m, AFrameCutOffOrBytesAfterTheLastAreDamage)
{
    const Stream s = kStreams[4];
    const std::string png = renderWithPm5544(settings(s), "card.png");
    const std::string whole = y4mOf(png, s, 2);
    const std::string path = testTempDir() + "/cut.y4m";
    const struct {
        std::string bytes;
        int status;
        const char* message;
    } cases[] = {
        {whole.substr(0, whole.size() - 1), 1, "frame 1 is cut off"},
        {whole + "FRAME", 1, "frame 2 is cut off"},
        {whole + "garbage", 1, "7 bytes after frame 2 are not a frame"},
        {whole.substr(0, whole.find('\n')), 1, "the file ends inside its header"},
        {"YUV4MPEG2 W96 H54 C411\n", 2, "its samples are C411"},
        {"YUV4MPEG2 H54 C444\n", 2, "no size"},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.bytes);
        const ProgramRun run = inspect({path});
        EXPECT_EQ(run.status, c.status) << c.message << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.message), std::string::npos) << run.out << run.err;
    }
    writeBytes(path, whole);
    const ProgramRun beyond = inspect({"--frame", "2", "--at", "0,0", path});
    EXPECT_EQ(beyond.status, 2);
    EXPECT_NE(beyond.err.find("the file holds frames 0 to 1"), std::string::npos) << beyond.err;
}

TEST(InspectY4m, AStreamThroughFfmpegComparesIdenticalOnStandardInput)
{
    const Stream s = kStreams[4];
    const std::string png = renderWithPm5544(settings(s), "card.png");
    const std::string dir = testTempDir();
    writeBytes(dir + "/card.y4m", y4mOf(png, s, 2));
    const ProgramRun run = runProgram({"-c",
                                       "ffmpeg -loglevel error -y -i card.y4m -c:v ffv1 card.mkv && "
                                       "ffmpeg -loglevel error -i card.mkv -f yuv4mpegpipe -strict -1 - | " +
                                           shellCommandOf(PM5544_INSPECT_BIN) + " -c 709 --frame 1 --compare -"},
                                      dir, "/bin/sh");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("result: identical"), std::string::npos) << run.out;
}

TEST(InspectY4m, ThePixelAspectGivesTheDisplayAspectUnlessAIsGiven)
{
    // 720x576 at 4:3 is A16:15; the card of another aspect differs.
    const std::vector<std::string> sd = {"-d", "720x576", "-a", "4x3", "-c", "601", "-s", "422", "-b", "10"};
    const std::string file = renderWithPm5544(sd, "sd.y4m");
    const ProgramRun summary = inspect({file});
    EXPECT_NE(summary.out.find("display aspect:          4:3"), std::string::npos) << summary.out;
    const ProgramRun own = inspect({"-c", "601", "--compare", file});
    EXPECT_EQ(own.status, 0) << own.out;
    EXPECT_NE(own.out.find("-d 720x576 -a 4x3 -c 601"), std::string::npos) << own.out;
    const ProgramRun other = inspect({"-c", "601", "-a", "16x9", "--compare", file});
    EXPECT_EQ(other.status, 1) << other.out;
    // "0:0" (unknown) and malformed aspects record none: the card's default applies.
    std::string bytes = readFile(file);
    for (const char* unknown : {"A0:0", "A16:0", "A:15", "A99999999999:1"}) {
        std::string changed = bytes;
        changed.replace(changed.find("A16:15"), 6, unknown);
        writeBytes(testTempDir() + "/unknown.y4m", changed);
        const ProgramRun run = inspect({"-c", "601", "--compare", testTempDir() + "/unknown.y4m"});
        EXPECT_NE(run.out.find("-a 16x9"), std::string::npos) << unknown << "\n" << run.out;
    }
}
