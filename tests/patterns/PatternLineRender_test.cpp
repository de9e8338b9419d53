#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "patterns/PatternTestPattern.h"

using Repeats = std::vector<std::pair<int, int>>;
using Samples = std::vector<unsigned short>;
static constexpr unsigned short kUnwritten = 0xABCD;

// Every sample tells where it came from: G/Y' = 1000 + y, B/Cb = 2000 + x, R/Cr = 3000 + 5 y + x.
struct CoordPattern : TestPattern {
    explicit CoordPattern(PatternGen::sampling_e s = PatternGen::Sampling_444) {
        colourSpace = ColourSpace(PatternGen::Colour_RGB, 12, false);
        sampling = s;
        skipLineEndShaping = true;
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
    void expectFrom(int row, int col, int y, int cx, int cy) const {
        EXPECT_EQ((std::vector<int>{at(row, col, 0), at(row, col, 1), at(row, col, 2)}),
                  (std::vector<int>{3000 + 5 * cy + cx, 1000 + y, 2000 + cx})) << row << "," << col;
    }
};

static Buffer render16(PatternSpec& p, int w, int h) {
    Buffer b(w, h, 4);
    EXPECT_TRUE(p.run_body(0, w, h, b.samples.data()));
    return b;
}

TEST(LineRender16, SampleRangesPerCoordinateSystemAndQuadrant) {
    // (quadrant, full canvas, first x, first y) for an 8 x 2 output.
    const int cases[6][4] = {{0, 0, -4, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 2}, {3, 0, -8, 2}, {4, 0, -8, 0}};
    for (const auto& c : cases) {
        CoordPattern p;
        p.quadrant = static_cast<PatternGen::quadrant_e>(c[0]);
        p.fullCanvas = c[1] != 0;
        const Buffer b = render16(p, 8, 2);
        b.expectFrom(1, 0, c[3] + 1, c[2], c[3] + 1);
        b.expectFrom(1, 7, c[3] + 1, c[2] + 7, c[3] + 1);
        EXPECT_EQ(b.at(0, 0, 3), 4095);
    }
    CoordPattern odd;  // an odd width still fills every column
    render16(odd, 7, 1).expectFrom(0, 6, 0, 3, 0);

    odd.fullCanvas = true;
    odd.quadrant = PatternGen::Quadrant_TopLeft;
    Buffer untouched(4, 2, 4);
    try {
        odd.run_body(0, 4, 2, untouched.samples.data());
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Quadrant mode is depracated");
    }
    EXPECT_EQ(untouched.samples, Samples(32, kUnwritten));
}

TEST(LineRender16, LineEndsFadeToBlackWhenShaping) {
    CoordPattern p;
    p.colourAt = [](int, int) { return grey12(4000); };
    auto greens = [&](int width) {
        const Buffer b = render16(p, width, 1);
        std::vector<int> g;
        for (int col = 0; col < width; ++col) g.push_back(b.at(0, col, 1));
        return g;
    };
    const std::vector<int> flat(8, 4000), shaped = {399, 2679, 4000, 4000, 4000, 4000, 2679, 399};
    EXPECT_EQ(greens(8), flat);  // skipLineEndShaping
    p.skipLineEndShaping = false;
    EXPECT_EQ(greens(8), shaped);
    EXPECT_EQ(greens(7), (std::vector<int>{399, 2679, 4000, 4000, 4000, 2679, 399}));
    p.fullCanvas = true;
    EXPECT_EQ(greens(8), shaped);
    p.riseTimeEnabled = false;
    EXPECT_EQ(greens(8), flat);

    // Y'CbCr is Cr, Y', Cb, alpha; its ends fade to Rec. 709 black; 10-bit codes are widened.
    p.riseTimeEnabled = true;
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 10, false);
    p.colourAt = [](int, int) { return Pixel(940, 512, 600, PatternGen::Colour_YCbCr_709, 10); };
    const Buffer b = render16(p, 8, 1);
    EXPECT_EQ(Samples(b.samples.begin() + 8, b.samples.begin() + 12),
              (Samples{600 * 4 << 4, 940 * 4 << 4, 512 * 4 << 4, 1023 * 4 << 4}));
    EXPECT_EQ(b.at(0, 0, 1), 606);  // 256 + 0.1 * 3504
    EXPECT_EQ(b.at(0, 0, 2), 2048);
}

TEST(LineRender16, SubsampledChromaRepeatsTheLastEvenSample) {
    CoordPattern p422(PatternGen::Sampling_422);
    const Buffer b = render16(p422, 6, 2);  // lines start at the odd x = -3
    EXPECT_EQ(b.at(0, 0, 0), 2048);         // nothing even yet: a default pixel's chroma
    b.expectFrom(0, 2, 0, -2, 0);
    b.expectFrom(1, 0, 1, 2, 0);  // the last even sample of the line before
    CoordPattern p420(PatternGen::Sampling_420);
    const Buffer c = render16(p420, 4, 4);
    for (int i = 0; i < 16; ++i) c.expectFrom(i / 4, i % 4, i / 4, i % 4 - i % 2 - 2, i / 4 - i / 4 % 2);
    p420.quadrant = PatternGen::Quadrant_BottomRight;  // a bottom quadrant of height 3 starts on odd line 3
    const Buffer d = render16(p420, 2, 3);
    d.expectFrom(0, 1, 3, 0, 3);
    d.expectFrom(2, 1, 5, 0, 4);
}

TEST(LineRenderTiff, WholeCanvasFromXZeroOrTheStoredLines) {
    CoordPattern p;  // centred, yet the TIFF form starts at x = 0, unshaped
    p.skipLineEndShaping = false;
    Buffer b(4, 3, 3);
    int height = 3;
    Repeats repeats = {{0, 1}};
    EXPECT_TRUE(p.run_body(0, 4, height, repeats, reinterpret_cast<unsigned char*>(b.samples.data())));
    EXPECT_EQ(height, 3);
    EXPECT_TRUE(repeats.empty());
    b.expectFrom(2, 0, 2, 0, 2);
    b.expectFrom(2, 3, 2, 3, 2);

    p.overridesRepeats = true;  // looked up by index, stopping at the first gap
    for (const Repeats& stored : {Repeats{{0, 99}, {1, 199}}, Repeats{{1, 199}, {0, 99}, {0, 5}, {3, 7}}}) {
        p.storedLines = stored;
        Buffer t(2, 200, 3);
        height = 200;
        p.run_body(0, 2, height, repeats, reinterpret_cast<unsigned char*>(t.samples.data()));
        EXPECT_EQ(height, 2);
        EXPECT_EQ(repeats, stored);
        t.expectFrom(0, 1, 99, 1, 99);
        t.expectFrom(1, 0, 199, 0, 199);
        EXPECT_EQ(t.samples[12], kUnwritten);
    }
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 10, false);  // Y', Cb, Cr
    p.colourAt = [](int, int) { return Pixel(940, 512, 600, PatternGen::Colour_YCbCr_709, 10); };
    Buffer y(2, 2, 3);
    p.run_body(0, 2, height, repeats, reinterpret_cast<unsigned char*>(y.samples.data()));
    EXPECT_EQ(Samples(y.samples.begin(), y.samples.begin() + 3), (Samples{940 * 4 << 4, 512 * 4 << 4, 600 * 4 << 4}));
}
