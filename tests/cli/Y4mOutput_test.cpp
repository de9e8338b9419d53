// Y4M streams carry exactly the codes of the PNG of the same settings: the
// PNG's 16-bit samples shifted down to the -b depth, Y' from green, Cb from
// blue, Cr from red, the chroma of the even samples (and at 4:2:0 of the
// even lines). FFmpeg, as a real reader, decodes them to the same codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "PatternRender.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "support/Capture.h"
#include "support/PngReader.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/Y4mReader.h"
#include "tools/ColourAxes.h"

namespace {

enum PngChannel { kRed = 0, kGreen = 1, kBlue = 2 };

// The card rendered in this process, as the program renders it.
int renderHere(const std::vector<std::string>& args)
{
    std::vector<std::string> words = {"pm5544"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    PhilipsPm5544Spec card;
    int status = -1;
    stdoutOf([&] { status = PatternRender::renderPattern(static_cast<int>(argv.size()), argv.data(), card); });
    return status;
}

// Samples of `stream` that differ from the PNG's codes at `bitDepth`, by the
// rule above; the stored depth may be one more (11, 13, 15 bits), by a left shift.
int differences(const Y4mStream& stream, const PngImage& png, int bitDepth, std::size_t frame = 0)
{
    const int down = 16 - bitDepth;
    const int up = stream.depth - bitDepth;
    const int xStep = stream.chromaWidth == stream.width ? 1 : 2;
    const int yStep = stream.chromaHeight == stream.height ? 1 : 2;
    auto code = [&](int x, int y, int channel) { return (png.at(x, y, channel) >> down) << up; };
    int differ = 0;
    for (int y = 0; y < stream.height; ++y) {
        for (int x = 0; x < stream.width; ++x) differ += stream.at(Y4mStream::Y, x, y, frame) != code(x, y, kGreen);
    }
    for (int y = 0; y < stream.chromaHeight; ++y) {
        for (int x = 0; x < stream.chromaWidth; ++x) {
            differ += stream.at(Y4mStream::Cb, x, y, frame) != code(x * xStep, y * yStep, kBlue);
            differ += stream.at(Y4mStream::Cr, x, y, frame) != code(x * xStep, y * yStep, kRed);
        }
    }
    return differ;
}

int run(const std::string& command)
{
    return std::system(command.c_str());
}

// FFmpeg's decode of `input` to raw planes of the stream's own pixel format,
// read back with the header line of `like`.
Y4mStream decodedByFfmpeg(const std::string& input, const Y4mStream& like)
{
    const std::string raw = input + ".raw";
    EXPECT_EQ(run("ffmpeg -v error -y -i '" + input + "' -frames:v 1 -f rawvideo '" + raw + "'"), 0) << input;
    return parseY4m(like.header + "\nFRAME\n" + readFile(raw));
}

struct Rendered {
    Y4mStream stream;
    PngImage png;
};

Rendered renderBoth(const std::string& dir, const std::vector<std::string>& settings)
{
    std::vector<std::string> args = settings;
    args.push_back(dir + "/card.y4m");
    EXPECT_EQ(renderHere(args), 0);
    args.back() = dir + "/card.png";
    EXPECT_EQ(renderHere(args), 0);
    return {readY4m(dir + "/card.y4m"), readPng(dir + "/card.png")};
}

}  // namespace

TEST(Y4mOutput, EveryYCbCrSpaceSamplingAndDepthHoldsThePngCodes)
{
    const std::string dir = emptyTempDir();
    for (const ColourAxes::Facts& axes : ColourAxes::kTable) {
        if (axes.components != ColourAxes::Components::YCbCr) continue;
        for (const char* sampling : {"444", "422", "420"}) {
            for (int bits = 8; bits <= 16; ++bits) {
                // Odd sizes: the last chroma sample and line stand alone.
                const Rendered r =
                    renderBoth(dir, {"-d", "45x27", "-c", axes.keyword, "-s", sampling, "-b", std::to_string(bits)});
                const std::string what = std::string(axes.keyword) + " " + sampling + " " + std::to_string(bits);
                ASSERT_TRUE(r.stream.ok && r.png.ok) << what << ": " << r.stream.error;
                ASSERT_EQ(r.stream.frames.size(), 1u) << what;
                ASSERT_EQ(r.stream.colour.substr(0, 3), sampling) << what;
                EXPECT_GE(r.stream.depth - bits, 0) << what;
                EXPECT_LE(r.stream.depth - bits, 1) << what;
                EXPECT_EQ(differences(r.stream, r.png, bits), 0) << what;
            }
        }
    }
}

TEST(Y4mOutput, FfmpegDecodesTheSameCodesAndLosslessEncodesKeepThem)
{
    const std::string dir = emptyTempDir();
    const struct {
        std::vector<std::string> settings;
        int bits;
        std::string encoder;  // none: the Y4M stream itself is decoded
    } cases[] = {
        {{"-c", "709", "-s", "422", "-b", "10"}, 10, ""},
        {{"-c", "PQ", "-s", "444", "-b", "12"}, 12, ""},
        {{"-c", "601", "-s", "420", "-b", "8"}, 8, ""},
        {{"-c", "709", "-s", "422", "-b", "10"}, 10, "-c:v libx264 -qp 0"},
        {{"-c", "HLG", "-s", "444", "-b", "12"}, 12, "-c:v ffv1"},
        {{"-c", "2020", "-s", "420", "-b", "8"}, 8, "-c:v libx265 -x265-params lossless=1:log-level=none"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.settings;
        args.insert(args.end(), {"-d", "320x180"});
        const Rendered r = renderBoth(dir, args);
        std::string decoded = dir + "/card.y4m";
        if (!c.encoder.empty()) {
            decoded = dir + "/card.mkv";
            ASSERT_EQ(run("ffmpeg -v error -y -i '" + dir + "/card.y4m' " + c.encoder + " '" + decoded + "'"), 0);
        }
        const Y4mStream stream = decodedByFfmpeg(decoded, r.stream);
        ASSERT_TRUE(stream.ok) << stream.error;
        EXPECT_EQ(differences(stream, r.png, c.bits), 0) << c.settings[1] << " " << c.encoder;
    }
}
