#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"

using Codes = std::vector<int>;
static Codes codes(const Pixel& p) { return {p.y, p.cb, p.cr}; }

static std::string initCanvas(TestPattern& p, int w, int h, int aw, int ah, PatternGen::colorAxes_e axes,
                              PatternGen::quadrant_e quadrant = PatternGen::Quadrant_None) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(p.init(w, h, aw, ah, axes, PatternGen::Sampling_422, 12, false, quadrant, 7, true, "/fonts"));
    return testing::internal::GetCapturedStdout();
}

TEST(PatternCanvas, InitFixesTheCanvasPrintsItAndRunsSetupLast) {
    TestPattern p;
    EXPECT_EQ(codes(p.colours75[1]), (Codes{4095, 0, 4095}));  // before init: 12-bit R'G'B' as (G, B, R)
    EXPECT_EQ(codes(p.colours100[6]), (Codes{0, 4095, 0}));
    EXPECT_EQ(initCanvas(p, 1920, 1080, 16, 9, PatternGen::Colour_YCbCr_709),
              "Width x Height: 1920x1080\nAspect: 16:9\nPixel aspect: 1:1.000\n");
    EXPECT_EQ(p.commandLineValue, 7);
    EXPECT_TRUE(p.skipLineEndShaping);
    EXPECT_EQ(p.setupCalls, 1);
    EXPECT_EQ(p.transitionSizeAtSetup, 4);  // the standard edge exists before setup()
    EXPECT_EQ(p.chromaTransition.size(), 2u);
    EXPECT_EQ(codes(p.colours100[1]), (Codes{3507, 256, 2212}));
    EXPECT_EQ(codes(p.colours75[1]), (Codes{2694, 704, 2171}));  // from the scaled R'G'B', then converted

    TestPattern sd, quad;
    EXPECT_EQ(initCanvas(sd, 720, 576, 4, 3, PatternGen::Colour_YCbCr_709),
              "Width x Height: 720x576\nAspect: 4:3\nPixel aspect: 1:0.938\n");
    const std::string out = initCanvas(quad, 1920, 1080, 16, 9, PatternGen::Colour_RGB, PatternGen::Quadrant_TopLeft);
    EXPECT_EQ(out.substr(0, out.find('\n')), "Width x Height: 3840x2160");
    EXPECT_EQ(quad.heightFraction(1, 2), 1080);
}

TEST(PatternCanvas, Rec601FullBarsAreFixedCodesWhileSeventyFiveAreConverted) {
    TestPattern p;
    initCanvas(p, 720, 576, 4, 3, PatternGen::Colour_YCbCr_601);
    const Codes fixed[8] = {{3760, 2048, 2048}, {3360, 256, 2336},  {2704, 2656, 256},  {2304, 864, 544},
                            {1696, 3232, 3552}, {1296, 1440, 3840}, {640, 3840, 1760}, {256, 2048, 2048}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(codes(p.colours100[i]), fixed[i]);
        EXPECT_EQ(p.colours100[i].axis, PatternGen::Colour_YCbCr_601);
    }
    EXPECT_EQ(codes(p.colours75[0]), (Codes{2884, 2047, 2045}));  // the 601 matrix is not exactly neutral
}

TEST(PatternGeometry, FractionsCirclesAndFrequencies) {
    TestPattern p;
    p.width = 1920;
    p.height = 1080;
    EXPECT_EQ(p.heightFraction(5, 7), 771);  // not 5 * (1080 / 7) = 770
    EXPECT_EQ(p.widthFraction(5, 7), 1371);
    EXPECT_EQ(p.fractionOf(-7, 3, 4), -5);  // toward zero
    EXPECT_EQ(p.aspectAdjustedVertFraction(1, 10), 192);
    EXPECT_EQ(p.aspectAdjustedHorizFraction(-5, 7), -771);
    EXPECT_FALSE(p.insideCircleHeight(3, 4, 0, 0, 5));  // exactly on the circle is outside
    EXPECT_TRUE(p.insideCircleHeight(3, 4, 0, 0, 6));
    EXPECT_FALSE(p.insideCircleWidth(-3, -4, 0, 0, 5));
    p.height = 2160;  // 2160 * 2^21 wraps as a 32-bit product
    EXPECT_EQ(p.heightFraction(1 << 21, 3), static_cast<int>(2160u * (1u << 21)) / 3);

    p.width = 720;
    p.height = 576;
    p.aspectWidth = 4;
    p.aspectHeight = 3;
    EXPECT_FALSE(p.insideCircleHeight(30, 0, 30, 0, 8));  // px = 576 * 120 / 2160 = 32; qc = 720 * 120 / 2160 = 40
    EXPECT_TRUE(p.insideCircleHeight(30, 0, 30, 0, 9));
    EXPECT_FALSE(p.insideCircleWidth(0, 100, 0, 100, 18));  // qy = 720 * 300 / 2304 = 93; qc = 576 * 300 / 2304 = 75
    EXPECT_TRUE(p.insideCircleWidth(0, 100, 0, 100, 19));
    const int heights[] = {576, 599, 600, 1089, 1090, 2160};
    const double periods[] = {54.0, 54.0, 297.0, 297.0, 594.0, 594.0};  // of 250 kHz
    for (int i = 0; i < 6; ++i) {
        p.height = heights[i];
        EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), periods[i]) << heights[i];
    }
}
