#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"

using Samples = std::vector<unsigned short>;
static constexpr unsigned short kUnwritten = 0xABCD;

// Every sample tells where it came from: G/Y' = 1000 + y, B/Cb = 2000 + x, R/Cr = 3000 + 5 y + x.
struct CoordPattern : TestPattern {
    explicit CoordPattern(PatternGen::sampling_e s = PatternGen::Sampling_444)
    {
        colourSpace = ColourSpace(PatternGen::Colour_RGB, 12, false), sampling = s, skipLineEndShaping = true;
        colourAt = [](int x, int y) { return Pixel(1000 + y, 2000 + x, 3000 + 5 * y + x, PatternGen::Colour_RGB, 12); };
    }
};

// `channels` samples a pixel, read back as 12-bit codes.
struct Buffer {
    int width, channels;
    Samples samples;
    Buffer(int w, int h, int c) : width(w), channels(c), samples(size_t(w) * h * c, kUnwritten) {}
    int at(int row, int col, int k) const { return samples[(size_t(row) * width + col) * channels + k] >> 4; }
    // A pixel of canvas line y whose R/Cr and B/Cb come from sample (cx, cy).
    void expectFrom(int row, int col, int y, int cx, int cy) const
    {
        EXPECT_EQ((std::vector<int>{at(row, col, 0), at(row, col, 1), at(row, col, 2)}),
                  (std::vector<int>{3000 + 5 * cy + cx, 1000 + y, 2000 + cx}))
            << row << "," << col;
    }
};

static Buffer render16(PatternSpec& p, int w, int h)
{
    Buffer b(w, h, 4);
    EXPECT_TRUE(p.run_body(0, w, h, b.samples.data()));
    return b;
}

TEST(LineRender16, SampleRangesPerCoordinateSystemAndQuadrant)
{
    // (quadrant, full canvas, first x, first y) for an 8 x 2 output.
    const int cases[6][4] = {{0, 0, -4, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 2}, {3, 0, -8, 2}, {4, 0, -8, 0}};
    for (const auto& c : cases) {
        CoordPattern p;
        p.quadrant = static_cast<PatternGen::quadrant_e>(c[0]), p.fullCanvas = c[1] != 0;
        render16(p, 8, 2).expectFrom(1, 7, c[3] + 1, c[2] + 7, c[3] + 1);
    }
    CoordPattern full;  // the full canvas cannot be split into quadrants
    full.fullCanvas = true, full.quadrant = PatternGen::Quadrant_TopLeft;
    Buffer kept(4, 2, 4);
    std::string message = "no exception";
    try {
        full.run_body(0, 4, 2, kept.samples.data());
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "Quadrant mode is depracated");
    EXPECT_EQ(kept.samples, Samples(32, kUnwritten));
}

TEST(LineRender16, LineEndsFadeToBlackWhenShapingAndChannelsAreOrdered)
{
    CoordPattern p;
    p.colourAt = [](int, int) { return grey12(4000); };
    EXPECT_EQ(render16(p, 8, 1).at(0, 0, 1), 4000);  // skipLineEndShaping
    p.skipLineEndShaping = false;
    const int shaped[8] = {399, 2679, 4000, 4000, 4000, 4000, 2679, 399};
    const Buffer s = render16(p, 8, 1);
    for (int col = 0; col < 8; ++col) EXPECT_EQ(s.at(0, col, 1), shaped[col]) << col;
    p.riseTimeEnabled = false;
    EXPECT_EQ(render16(p, 8, 1).at(0, 0, 1), 4000);

    // Y'CbCr is Cr, Y', Cb, alpha; its ends fade to Rec. 709 black; 10-bit codes are widened.
    p.riseTimeEnabled = true;
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 10, false);
    p.colourAt = [](int, int) { return Pixel(940, 512, 600, PatternGen::Colour_YCbCr_709, 10); };
    const Buffer b = render16(p, 8, 1);
    EXPECT_EQ(Samples(b.samples.begin() + 8, b.samples.begin() + 12),
              (Samples{600 * 4 << 4, 940 * 4 << 4, 512 * 4 << 4, 1023 * 4 << 4}));
    EXPECT_EQ(b.at(0, 0, 1), 606);  // 256 + 0.1 * 3504
}

TEST(LineRender16, SubsampledChromaRepeatsTheLastEvenSample)
{
    CoordPattern p422(PatternGen::Sampling_422), p420(PatternGen::Sampling_420);
    const Buffer b = render16(p422, 6, 2);  // lines start at the odd x = -3
    b.expectFrom(0, 4, 0, 0, 0);            // x = 1 takes the chroma of x = 0
    b.expectFrom(1, 0, 1, 2, 0);            // x = -3 that of the last even sample of the line before
    const Buffer c = render16(p420, 4, 4);
    for (int i = 0; i < 16; ++i) c.expectFrom(i / 4, i % 4, i / 4, i % 4 - i % 2 - 2, i / 4 - i / 4 % 2);
}

TEST(LineRenderTiff, WholeCanvasFromXZeroOrTheStoredLines)
{
    CoordPattern p;  // centred, yet the TIFF form starts at x = 0, unshaped
    p.skipLineEndShaping = false;
    Buffer b(4, 3, 3), t(2, 200, 3);
    int height = 3;
    std::vector<std::pair<int, int>> repeats = {{0, 1}};
    EXPECT_TRUE(p.run_body(0, 4, height, repeats, reinterpret_cast<unsigned char*>(b.samples.data())));
    EXPECT_TRUE(height == 3 && repeats.empty());
    b.expectFrom(2, 0, 2, 0, 2);

    // Stored lines are looked up by index, the first entry for an index winning, up to the first gap.
    p.storedLines = {{1, 199}, {0, 99}, {0, 5}, {3, 7}};
    height = 200;
    p.run_body(0, 2, height, repeats, reinterpret_cast<unsigned char*>(t.samples.data()));
    EXPECT_TRUE(height == 2 && repeats == p.storedLines);
    t.expectFrom(0, 1, 99, 1, 99);
    t.expectFrom(1, 0, 199, 0, 199);
    EXPECT_EQ(t.samples[12], kUnwritten);

    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 10, false);  // Y', Cb, Cr
    p.colourAt = [](int, int) { return Pixel(940, 512, 600, PatternGen::Colour_YCbCr_709, 10); };
    p.run_body(0, 2, height, repeats, reinterpret_cast<unsigned char*>(t.samples.data()));
    EXPECT_EQ(Samples(t.samples.begin(), t.samples.begin() + 3), (Samples{940 * 4 << 4, 512 * 4 << 4, 600 * 4 << 4}));
}
