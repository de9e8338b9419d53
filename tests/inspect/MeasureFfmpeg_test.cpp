// Chains through FFmpeg, the real client that decodes and encodes what pm5544
// writes, whose effect is known in closed form: each must measure as known.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "InspectRun.h"
#include "MeasureChain.h"
#include "inspect/measure/PsnrMeasure.h"
#include "tools/MathConstants.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// FFmpeg runs on the build machine; a cross build's tests run under an emulator without it.
bool ffmpegRuns()
{
    return PM5544_HOST_TOOLS != 0;
}

int ffmpeg(const std::string& arguments)
{
    return std::system(("ffmpeg -v error -nostdin -y " + arguments + " 2>&1").c_str());
}

std::string rawFormat(int bits, PatternGen::sampling_e sampling)
{
    return std::string(sampling == PatternGen::Sampling_422 ? "yuv422p" : "yuv444p") + (bits > 8 ? "10le" : "");
}

// Planar Y', Cb, Cr as FFmpeg's raw video holds them: 16-bit little-endian words above 8 bits; 4:2:2 keeps
// the chroma of the even samples.
void writeRaw(const MeasureFrame& f, PatternGen::sampling_e sampling, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    const int step = sampling == PatternGen::Sampling_422 ? 2 : 1;
    for (int p : {MeasureFrame::kYOrG, MeasureFrame::kCbOrB, MeasureFrame::kCrOrR}) {
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; x += p == MeasureFrame::kYOrG ? 1 : step) {
                const int v = f.code(p, x, y);
                out.put(static_cast<char>(v & 0xFF));
                if (f.bitDepth > 8) out.put(static_cast<char>(v >> 8));
            }
        }
    }
}

MeasureFrame readRaw444(const std::string& path, int width, int height, int bits)
{
    std::ifstream in(path, std::ios::binary);
    MeasureFrame f(width, height, bits);
    for (int p : {MeasureFrame::kYOrG, MeasureFrame::kCbOrB, MeasureFrame::kCrOrR}) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int low = in.get();
                const int high = bits > 8 ? in.get() : 0;
                f.at(p, x, y) = static_cast<uint16_t>(low | high << 8);
            }
        }
    }
    EXPECT_TRUE(in.good()) << path;
    return f;
}

// Taps 1 8 1 / 10 along each line of the planes given: the response is 0.8 + 0.2 cos(2 pi f / fs).
std::string convolution(int planes)
{
    std::string taps;
    for (int plane = 0; plane < planes; ++plane) {
        const std::string p = std::to_string(plane);
        taps += (plane > 0 ? ":" : "") + p + "m='1 8 1':" + p + "rdiv=0.1:" + p + "mode=row";
    }
    return "\"convolution=" + taps + "\"";
}

double closedFormDb(double cyclesPerSample)
{
    return 20 * std::log10(0.8 + 0.2 * std::cos(2 * MathConstants::kPi * cyclesPerSample));
}

// The measure of a chain through convolution(): the closed-form response at
// each grating, nothing else out of its limits, nothing moved.
void expectTheConvolutionsResponse(const nlohmann::json& m)
{
    ASSERT_EQ(m["frequency_response"].size(), 5u);
    for (const auto& g : m["frequency_response"]) {
        EXPECT_NEAR(g["db"].get<double>(), closedFormDb(g["cycles_per_sample"].get<double>()), 0.03) << g.dump();
    }
    EXPECT_EQ(m["limits"]["failed"], nlohmann::json::array({"frequency_response_db"}));
    EXPECT_NEAR(m["registration"]["dx"].get<double>(), 0, 0.02);
}

}  // namespace

TEST(MeasureFfmpeg, ConvolutionThroughY4mMeasuresItsClosedFormResponse)
{
    if (!ffmpegRuns()) GTEST_SKIP() << "no FFmpeg under the emulator";
    // pm5544's Y4M stream through FFmpeg, whose Y4M comes back on a pipe into pm5544-inspect's standard input:
    // the codes go through unconverted.
    const std::vector<std::string> card = {"-d", "1280x720", "-c", "709", "-b", "10"};
    const std::string in = renderWithPm5544(card, "card.y4m");
    std::string inspector = PM5544_INSPECT_BIN;
    for (const std::string& option : card) inspector += " " + option;
    const ProgramRun run = runProgram(
        {"-c", "ffmpeg -v error -nostdin -i " + in + " -vf " + convolution(3) +
                   " -strict -1 -f yuv4mpegpipe -pix_fmt yuv444p10le - | " + inspector + " --measure --json - -"},
        testTempDir(), "/bin/sh");
    ASSERT_EQ(run.status, 1) << run.err;  // the filter's loss above 5 MHz is more than the built-in 0.2 dB
    const nlohmann::json m = nlohmann::json::parse(run.out);
    expectTheConvolutionsResponse(m);
    EXPECT_NEAR(m["levels"]["gain"].get<double>(), 1, 1e-3);
    EXPECT_TRUE(m["diagnoses"].empty());
}

TEST(MeasureFfmpeg, ConvolutionOfAPngMeasuresItsClosedFormResponseOnTheCommandLine)
{
    if (!ffmpegRuns()) GTEST_SKIP() << "no FFmpeg under the emulator";
    const std::vector<std::string> card = {"-d", "1280x720", "-c", "709", "-b", "10"};
    const std::string in = renderWithPm5544(card, "card.png");
    const std::string out = testTempDir() + "/filtered.png";
    // The PNG's four planes through the same taps, read back by pm5544-inspect itself.
    ASSERT_EQ(ffmpeg("-i " + in + " -vf " + convolution(4) + " -pix_fmt rgba64be " + out), 0);
    std::vector<std::string> args = card;
    args.insert(args.end(), {"--measure", "--json", "-", out});
    const ProgramRun run = inspect(args);
    ASSERT_EQ(run.status, 1) << run.err;  // the filter's loss above 5 MHz is more than the built-in 0.2 dB
    const nlohmann::json m = nlohmann::json::parse(run.out);
    expectTheConvolutionsResponse(m);
    EXPECT_TRUE(m["diagnoses"].empty());
}

TEST(MeasureFfmpeg, DefaultUpsamplingOf422ChromaReadsHalfASampleLate)
{
    if (!ffmpegRuns()) GTEST_SKIP() << "no FFmpeg under the emulator";
    // FFmpeg's scaler places 4:2:2 chroma between the luma samples it shares, where pm5544 co-sites it.
    const RunSettings s = canvasOf(kWidth, kHeight, PatternGen::Colour_YCbCr_709, 10, PatternGen::Sampling_422);
    const CardReference card = CardReference::render(s);
    const std::string dir = testTempDir();
    writeRaw(card.frame, s.sampling, dir + "/card422.yuv");
    const std::string size = " -s " + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " ";
    ASSERT_EQ(ffmpeg("-f rawvideo -pix_fmt " + rawFormat(10, s.sampling) + size + "-i " + dir + "/card422.yuv" +
                     " -f rawvideo -pix_fmt " + rawFormat(10, PatternGen::Sampling_444) + " " + dir + "/up444.yuv"),
              0);
    const Measurement m =
        measureCapture(readRaw444(dir + "/up444.yuv", kWidth, kHeight, 10), card, measureCanvasOf(s, card));
    for (std::size_t c = 0; c < 2; ++c) EXPECT_NEAR(m.chromaDelay.samples[c], 0.5, 0.1) << c;
    EXPECT_NEAR(m.registration.dx, 0, 0.02);
}

TEST(MeasureFfmpeg, PsnrIsFfmpegsForTheSamePair)
{
    if (!ffmpegRuns()) GTEST_SKIP() << "no FFmpeg under the emulator";
    const std::string dir = testTempDir();
    for (int bits : {10, 8}) {
        const RunSettings s = canvasOf(kWidth, kHeight, PatternGen::Colour_YCbCr_709, bits);
        const CardReference card = CardReference::render(s);
        const MeasureFrame capture = shifted(noisy(card.frame, 2.5, 3), kAllPlanes, 1, 0);
        writeRaw(capture, s.sampling, dir + "/capture.yuv");
        writeRaw(card.frame, s.sampling, dir + "/card.yuv");
        const std::string raw = "-f rawvideo -pix_fmt " + rawFormat(bits, s.sampling) + " -s " +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -i ";
        const std::string stats = dir + "/psnr.log";
        ASSERT_EQ(ffmpeg(raw + dir + "/capture.yuv " + raw + dir + "/card.yuv -lavfi psnr=stats_file=" + stats +
                         " -f null -"),
                  0);
        // "n:1 mse_avg:... mse_y:... mse_u:... mse_v:... psnr_avg:... psnr_y:36.07 psnr_u:... psnr_v:..."
        const std::string line = readFile(stats);
        const std::array<double, 3> ours = measurePsnr(capture, card.frame, measureCanvasOf(s, card));
        const char* keys[] = {"psnr_y:", "psnr_u:", "psnr_v:"};
        for (int i = 0; i < 3; ++i) {
            const std::size_t at = line.find(keys[i]);
            ASSERT_NE(at, std::string::npos) << line;
            EXPECT_NEAR(ours[static_cast<std::size_t>(i)], std::stod(line.substr(at + std::strlen(keys[i]))), 0.01)
                << bits << " bits, " << keys[i];
        }
    }
}
