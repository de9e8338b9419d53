#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "patterns/PatternWrapper.h"

namespace {

// The smallest concrete pattern: records what the framework had ready when
// setup() ran.
class CanvasPattern : public PatternSpec {
public:
    int setupCalls = 0;
    int transitionSizeAtSetup = -1;
    size_t chromaSizeAtSetup = 0;

    void setup() override {
        ++setupCalls;
        transitionSizeAtSetup = transitionSize;
        chromaSizeAtSetup = chromaTransition.size();
    }
    Pixel body(int, int) override { return Pixel(); }
};

// Runs init with the usual defaults for the remaining arguments and returns
// what it printed.
std::string initCanvas(PatternSpec& p, int w, int h, int aw, int ah,
                       PatternGen::colorAxes_e axes = PatternGen::Colour_YCbCr_709,
                       PatternGen::sampling_e sampling = PatternGen::Sampling_444,
                       PatternGen::quadrant_e quadrant = PatternGen::Quadrant_None, int bitDepth = 12) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(p.init(w, h, aw, ah, axes, sampling, bitDepth, false, quadrant, 7, true, "/fonts/here"));
    return testing::internal::GetCapturedStdout();
}

void expectSamples(const Pixel& p, int y, int cb, int cr) {
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cb, cb);
    EXPECT_EQ(p.cr, cr);
}

}  // namespace

// --- Construction ------------------------------------------------------------

TEST(PatternCanvasDefaults, CanvasBeforeInit) {
    CanvasPattern p;
    EXPECT_EQ(p.width, 3840);
    EXPECT_EQ(p.height, 2160);
    EXPECT_EQ(p.aspectWidth, 16);
    EXPECT_EQ(p.aspectHeight, 9);
    EXPECT_EQ(p.colourSpace.axis, PatternGen::Colour_YCbCr_709);
    EXPECT_EQ(p.colourSpace.bitDepth, 12);
    EXPECT_FALSE(p.colourSpace.fullRange);
    EXPECT_TRUE(p.riseTimeEnabled);
    EXPECT_FALSE(p.skipLineEndShaping);
    EXPECT_EQ(p.transitionSize, 3);
    EXPECT_EQ(p.textSizeValue, 100);
    EXPECT_EQ(p.commandLineValue, 0);
    EXPECT_TRUE(p.lumaTransition.empty());
    EXPECT_TRUE(p.layers.empty());
    EXPECT_EQ(p.setupCalls, 0);
}

TEST(PatternCanvasDefaults, BarsAreTwelveBitRgbInGbrOrder) {
    CanvasPattern p;
    // (G, B, R) per bar: white, yellow, cyan, green, magenta, red, blue, black.
    const int gbr[8][3] = {{4095, 4095, 4095}, {4095, 0, 4095}, {4095, 4095, 0}, {4095, 0, 0},
                           {0, 4095, 4095},    {0, 0, 4095},    {0, 4095, 0},    {0, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        for (const Pixel* bar : {&p.colours100[i], &p.colours75[i]}) {
            EXPECT_EQ(bar->axis, PatternGen::Colour_RGB);
            EXPECT_EQ(bar->bitDepth, 12);
            expectSamples(*bar, gbr[i][0], gbr[i][1], gbr[i][2]);
        }
    }
}

TEST(PatternCanvasDefaults, BaseVirtuals) {
    CanvasPattern p;
    EXPECT_FALSE(p.useFullCanvasSize());
    std::vector<std::pair<int, int>> repeats = {{0, 5}, {1, 9}};
    p.getLineRepeats(repeats);
    EXPECT_TRUE(repeats.empty());
}

TEST(PatternCanvasDefaults, DestructorReleasesLayersAndText) {
    // Leak checking in the sanitizer build catches a missing release.
    auto* p = new CanvasPattern;
    p->layers.push_back(new unsigned char[64]);
    p->layers.push_back(nullptr);
    auto* line = new TextLine;
    line->slugs.push_back(new TextSlug);
    line->slugs.push_back(new TextSlug);
    p->textLines.push_back(line);
    delete p;
    SUCCEED();
}

// --- init --------------------------------------------------------------------

TEST(PatternCanvasInit, StoresSettingsAndRunsSetupLast) {
    CanvasPattern p;
    initCanvas(p, 1920, 1080, 16, 9, PatternGen::Colour_YCbCr_2020, PatternGen::Sampling_422,
               PatternGen::Quadrant_None, 10);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 1080);
    EXPECT_EQ(p.commandLineValue, 7);
    EXPECT_EQ(p.fontDirectory, "/fonts/here");
    EXPECT_TRUE(p.skipLineEndShaping);
    EXPECT_EQ(p.sampling, PatternGen::Sampling_422);
    EXPECT_EQ(p.colourSpace.axis, PatternGen::Colour_YCbCr_2020);
    EXPECT_EQ(p.colourSpace.bitDepth, 10);
    EXPECT_EQ(p.colourSpace.whiteLevel, 940);
    EXPECT_EQ(p.setupCalls, 1);
    // The standard edge tables exist before setup() runs.
    EXPECT_EQ(p.transitionSizeAtSetup, 4);
    EXPECT_EQ(p.chromaSizeAtSetup, 2u);
    EXPECT_TRUE(p.riseTimeEnabled);
}

TEST(PatternCanvasInit, PrintsSizeAspectAndPixelAspect) {
    CanvasPattern hd;
    EXPECT_EQ(initCanvas(hd, 1920, 1080, 16, 9), "Width x Height: 1920x1080\nAspect: 16:9\nPixel aspect: 1:1.000\n");
    CanvasPattern sd;
    EXPECT_EQ(initCanvas(sd, 720, 576, 4, 3), "Width x Height: 720x576\nAspect: 4:3\nPixel aspect: 1:0.938\n");
}

TEST(PatternCanvasInit, QuadrantDoublesTheCanvas) {
    CanvasPattern p;
    const std::string out = initCanvas(p, 1920, 1080, 16, 9, PatternGen::Colour_YCbCr_709, PatternGen::Sampling_444,
                                       PatternGen::Quadrant_BottomLeft);
    EXPECT_EQ(out.substr(0, out.find('\n')), "Width x Height: 3840x2160");
    EXPECT_EQ(p.width, 3840);
    EXPECT_EQ(p.height, 2160);
    EXPECT_EQ(p.quadrant, PatternGen::Quadrant_BottomLeft);
    EXPECT_EQ(p.heightFraction(1, 2), 1080);
    EXPECT_EQ(p.widthFraction(1, 4), 960);
}

TEST(PatternCanvasInit, Rec709BarsAreConverted) {
    CanvasPattern p;
    initCanvas(p, 1920, 1080, 16, 9);
    expectSamples(p.colours100[0], 3760, 2048, 2048);
    expectSamples(p.colours100[1], 3507, 256, 2212);
    expectSamples(p.colours100[7], 256, 2048, 2048);
    EXPECT_EQ(p.colours100[1].axis, PatternGen::Colour_YCbCr_709);
    // 75 % comes from the scaled 12-bit R'G'B' (3071 of 4095).
    expectSamples(p.colours75[1], 2694, 704, 2171);
    EXPECT_EQ(p.colours75[1].axis, PatternGen::Colour_YCbCr_709);
}

TEST(PatternCanvasInit, Rec601UsesFixedFullBarsButConvertedSeventyFive) {
    CanvasPattern p;
    initCanvas(p, 720, 576, 4, 3, PatternGen::Colour_YCbCr_601);
    const int fixed[8][3] = {{3760, 2048, 2048}, {3360, 256, 2336},  {2704, 2656, 256},  {2304, 864, 544},
                             {1696, 3232, 3552}, {1296, 1440, 3840}, {640, 3840, 1760}, {256, 2048, 2048}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        expectSamples(p.colours100[i], fixed[i][0], fixed[i][1], fixed[i][2]);
        EXPECT_EQ(p.colours100[i].axis, PatternGen::Colour_YCbCr_601);
        EXPECT_EQ(p.colours100[i].bitDepth, 12);
    }
    // The 601 matrix is not exactly neutral: 75 % grey acquires chroma.
    expectSamples(p.colours75[0], 2884, 2047, 2045);
}

// --- Geometry ----------------------------------------------------------------

class PatternGeometry : public testing::Test {
protected:
    CanvasPattern p;
    void SetUp() override {
        p.width = 1920;
        p.height = 1080;
        p.aspectWidth = 16;
        p.aspectHeight = 9;
    }
};

TEST_F(PatternGeometry, FractionsMultiplyBeforeDividing) {
    EXPECT_EQ(p.heightFraction(1, 7), 154);  // 1080 / 7 = 154.28
    EXPECT_EQ(p.heightFraction(3, 7), 462);  // not 3 * 154
    EXPECT_EQ(p.widthFraction(2, 3), 1280);
    EXPECT_EQ(p.widthFraction(1, 7), 274);
    EXPECT_EQ(p.fractionOf(7, 3, 4), 5);
    EXPECT_EQ(p.fractionOf(-7, 3, 4), -5);  // truncates toward zero
    EXPECT_EQ(p.heightFraction(-1, 7), -154);
}

TEST_F(PatternGeometry, AspectAdjustedFractions) {
    EXPECT_EQ(p.aspectAdjustedVertFraction(1, 10), 192);   // 1080*16 / 90
    EXPECT_EQ(p.aspectAdjustedHorizFraction(1, 10), 108);  // 1920*9 / 160
    p.width = 720;
    p.height = 576;
    p.aspectWidth = 4;
    p.aspectHeight = 3;
    EXPECT_EQ(p.aspectAdjustedVertFraction(1, 7), 109);  // 2304 / 21 = 109.7
    EXPECT_EQ(p.aspectAdjustedHorizFraction(1, 7), 77);  // 2160 / 28 = 77.1
}

TEST_F(PatternGeometry, ProductsWrapLikeThirtyTwoBitIntegers) {
    p.height = 2160;
    const int n = 1 << 21;  // 2160 * 2^21 exceeds 2^31
    const int wrapped = static_cast<int>(static_cast<uint32_t>(2160) * static_cast<uint32_t>(n));
    EXPECT_EQ(p.heightFraction(n, 3), wrapped / 3);
}

TEST_F(PatternGeometry, CircleBoundaryIsOutside) {
    // Square pixels: 3-4-5 triangle, the point is exactly on the circle.
    EXPECT_FALSE(p.insideCircleHeight(3, 4, 0, 0, 5));
    EXPECT_TRUE(p.insideCircleHeight(3, 4, 0, 0, 6));
    EXPECT_TRUE(p.insideCircleHeight(2, 4, 0, 0, 5));
    EXPECT_FALSE(p.insideCircleWidth(-3, -4, 0, 0, 5));
    EXPECT_TRUE(p.insideCircleWidth(-3, -4, 0, 0, 6));
    EXPECT_FALSE(p.insideCircleHeight(10, 10, 10, 10, 0));
}

TEST_F(PatternGeometry, CircleScalesHorizontalPositionsByPixelAspect) {
    p.width = 720;
    p.height = 576;
    p.aspectWidth = 4;
    p.aspectHeight = 3;
    // px = 576*(30*4) / 2160 = 32, while the centre scales by the width:
    // qc = 720*(30*4) / 2160 = 40. The two differ by 8.
    EXPECT_FALSE(p.insideCircleHeight(30, 0, 30, 0, 8));
    EXPECT_TRUE(p.insideCircleHeight(30, 0, 30, 0, 9));
    // px = 576*(100*4) / 2160 = 106 (truncated from 106.67).
    EXPECT_FALSE(p.insideCircleHeight(100, 0, 0, 0, 106));
    EXPECT_TRUE(p.insideCircleHeight(100, 0, 0, 0, 107));
}

TEST_F(PatternGeometry, CircleWidthScalesVerticalPositions) {
    p.width = 720;
    p.height = 576;
    p.aspectWidth = 4;
    p.aspectHeight = 3;
    // qy = 720*(100*3) / (4*576) = 93 (93.75); qc = 576*(0*3) / 2304 = 0.
    EXPECT_FALSE(p.insideCircleWidth(0, 100, 0, 0, 93));
    EXPECT_TRUE(p.insideCircleWidth(0, 100, 0, 0, 94));
    // The centre scales by the height: qc = 576*(100*3) / 2304 = 75, qy = 93.
    EXPECT_FALSE(p.insideCircleWidth(0, 100, 0, 100, 18));
    EXPECT_TRUE(p.insideCircleWidth(0, 100, 0, 100, 19));
}

TEST_F(PatternGeometry, FrequencyFollowsTheHeightsSampleRate) {
    p.height = 576;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 54.0);
    p.height = 599;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 54.0);
    p.height = 600;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 297.0);
    p.height = 1080;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 297.0);
    p.height = 1089;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 297.0);
    p.height = 1090;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 594.0);
    p.height = 2160;
    EXPECT_DOUBLE_EQ(p.freqToPixels(250000.0), 594.0);
    EXPECT_DOUBLE_EQ(p.freqToPixels(1000000.0), 148.5);
}
