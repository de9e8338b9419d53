#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"
#include "support/Capture.h"
#include "support/PixelExpectations.h"

static std::string initCanvas(TestPattern& p, int w, int h, int aw, int ah, PatternGen::colorAxes_e axes,
                              PatternGen::quadrant_e quadrant = PatternGen::Quadrant_None)
{
    return stdoutOf([&] {
        EXPECT_TRUE(p.init(w, h, aw, ah, axes, PatternGen::Sampling_422, 12, false, quadrant, 7, true, "/fonts"));
    });
}

TEST(PatternCanvas, InitFixesTheCanvasPrintsItAndRunsSetupLast)
{
    TestPattern p, sd, quad;
    EXPECT_EQ(initCanvas(p, 1920, 1080, 16, 9, PatternGen::Colour_YCbCr_709),
              "Width x Height: 1920x1080\nAspect: 16:9\nPixel aspect: 1:1.000\n");
    EXPECT_EQ(p.transitionSizeAtSetup, 4);  // the standard edge exists before setup()
    EXPECT_EQ(codesOf(p.colours100[1]), codes(3507, 256, 2212));
    EXPECT_EQ(codesOf(p.colours75[1]), codes(2694, 704, 2171));  // from the scaled R'G'B', then converted
    EXPECT_EQ(initCanvas(sd, 720, 576, 4, 3, PatternGen::Colour_YCbCr_601),
              "Width x Height: 720x576\nAspect: 4:3\nPixel aspect: 1:0.938\n");
    EXPECT_EQ(codesOf(sd.colours100[5]), codes(1296, 1440, 3840));  // Rec. 601 full bars are fixed codes
    EXPECT_EQ(initCanvas(quad, 1920, 1080, 16, 9, PatternGen::Colour_RGB, PatternGen::Quadrant_TopLeft).substr(0, 26),
              "Width x Height: 3840x2160\n");  // a quadrant is a quarter of a canvas twice the size
}

TEST(PatternGeometry, FractionsCirclesAndFrequencies)
{
    TestPattern p;
    p.width = 1920, p.height = 1080;
    // 1080 * 5 / 7, not 5 * (1080 / 7) = 770; -7 * 3 / 4 toward zero.
    EXPECT_EQ((std::vector<int>{p.heightFraction(5, 7), p.fractionOf(-7, 3, 4)}), (std::vector<int>{771, -5}));
    // Exactly on the circle is outside.
    EXPECT_TRUE(!p.insideCircleHeight(3, 4, 0, 0, 5) && p.insideCircleHeight(3, 4, 0, 0, 6));
    EXPECT_TRUE(!p.insideCircleWidth(-3, -4, 0, 0, 5) && p.insideCircleWidth(-3, -4, 0, 0, 6));
    // A line's run inside a circle is the samples the test holds for, on pixels
    // from square to very wide, where one sample spans many line units, so a
    // small circle holds one sample on either side of its centre or none.
    p.aspectHeight = 1;
    for (const int aspectWidth : {16, 300}) {
        p.aspectWidth = aspectWidth, p.width = 100, p.height = 60;
        for (int cx = -50; cx <= 50; cx += 7) {
            for (int r = 1; r <= 30; r += 3) {
                for (int y = -31; y <= 31; ++y) {
                    const PatternSpec::SampleRun run = p.circleRunHeight(y, cx, 0, r, -50, 50);
                    for (int x = -50; x < 50; ++x) {
                        ASSERT_EQ(run.holds(x), p.insideCircleHeight(x, y, cx, 0, r))
                            << aspectWidth << " " << cx << " " << r << " " << x << "," << y;
                    }
                }
            }
        }
    }
    p.width = 1920, p.height = 1080, p.aspectWidth = 16, p.aspectHeight = 9;
    auto period = [&](int height) { return p.height = height, p.freqToPixels(250000.0); };  // of 250 kHz
    EXPECT_EQ((std::vector<double>{period(599), period(600), period(1089), period(1090), period(2160)}),
              (std::vector<double>{54, 297, 297, 594, 594}));
}
