#include <gtest/gtest.h>

#include <cmath>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

// A 576-line 4:3 card: every h(n, 576) is n itself, the centre is (360, 288)
// and a horizontal offset dx measures trunc(dx * 16 / 15) in line units.
class PM5544Regions : public testing::Test {
protected:
    static void SetUpTestSuite() { made = new SetUpCard(makeCard(720, 576, 4, 3)); }
    static void TearDownTestSuite()
    {
        delete made;
        made = nullptr;
    }

    PhilipsPm5544Spec& card() { return *made->card; }
    Pixel at(int dx, int dy) { return card().render(360 + dx, 288 + dy); }
    const Pixel& P(int slot) { return card().palette[slot]; }

    static SetUpCard* made;
};

SetUpCard* PM5544Regions::made = nullptr;

// The texture of the corner dots, as its mirror symmetry describes it: the
// pattern right of the centre line repeats mirrored on the left.
bool texture(int dx, int dy)
{
    const int column = dx >= 0 ? dx : -dx - 1;
    const int line = dy >= 0 ? dy : -dy - 1;
    return (column / 2) % 2 == 1 && line % 2 == 1;
}

// ---------------------------------------------------------------------------
// Bands of the central circle, tested on both sides of every bound.

TEST_F(PM5544Regions, UpperBarsEndAsymmetrically)
{
    EXPECT_TRUE(samePixel(at(0, -233), P(7)));   // white cap
    EXPECT_TRUE(samePixel(at(0, -232), P(0)));   // black bar
    EXPECT_TRUE(samePixel(at(-83, -232), P(0)));
    EXPECT_TRUE(samePixel(at(-84, -232), P(7)));
    EXPECT_TRUE(samePixel(at(84, -232), P(0)));
    EXPECT_TRUE(samePixel(at(85, -232), P(7)));
    EXPECT_TRUE(samePixel(at(0, -191), P(0)));
    EXPECT_TRUE(samePixel(at(0, -190), P(7)));   // white bar
    EXPECT_TRUE(samePixel(at(0, -147), P(7)));
    EXPECT_TRUE(samePixel(at(0, -146), P(0)));   // square wave
}

TEST_F(PM5544Regions, WhiteBarHasAThreeSampleBlackMark)
{
    // u = dx + 126; the mark covers u = 20, 21 and 22.
    EXPECT_TRUE(samePixel(at(-107, -170), P(7)));
    EXPECT_TRUE(samePixel(at(-106, -170), P(0)));
    EXPECT_TRUE(samePixel(at(-105, -170), P(0)));
    EXPECT_TRUE(samePixel(at(-104, -170), P(0)));
    EXPECT_TRUE(samePixel(at(-103, -170), P(7)));
    EXPECT_TRUE(samePixel(at(-127, -170), P(0)));  // left of the bar
    EXPECT_TRUE(samePixel(at(125, -170), P(7)));
    EXPECT_TRUE(samePixel(at(126, -170), P(0)));   // right of the bar
}

TEST_F(PM5544Regions, SquareWaveIsInPhaseWithTheCentre)
{
    EXPECT_TRUE(samePixel(at(0, -120), P(0)));
    EXPECT_TRUE(samePixel(at(12, -120), P(0)));
    EXPECT_TRUE(samePixel(at(13, -120), P(5)));
    EXPECT_TRUE(samePixel(at(26, -120), P(5)));
    EXPECT_TRUE(samePixel(at(27, -120), P(0)));
    EXPECT_TRUE(samePixel(at(-1, -120), P(5)));
    EXPECT_TRUE(samePixel(at(-14, -120), P(5)));
    EXPECT_TRUE(samePixel(at(-15, -120), P(0)));
}

TEST_F(PM5544Regions, ColourBarsSitBetweenSquareWaveAndCentreBand)
{
    EXPECT_TRUE(samePixel(at(30, -105), P(0)));   // square wave, m = 3
    EXPECT_TRUE(samePixel(at(30, -104), P(11)));  // magenta
    EXPECT_TRUE(samePixel(at(-200, -80), P(8)));  // bars of 84 samples from dx = -252
    EXPECT_TRUE(samePixel(at(-169, -80), P(8)));
    EXPECT_TRUE(samePixel(at(-168, -80), P(9)));
    EXPECT_TRUE(samePixel(at(-1, -80), P(10)));
    EXPECT_TRUE(samePixel(at(0, -80), P(11)));
    EXPECT_TRUE(samePixel(at(84, -80), P(12)));
    EXPECT_TRUE(samePixel(at(168, -80), P(13)));
    EXPECT_TRUE(samePixel(at(30, -21), P(11)));
    EXPECT_TRUE(samePixel(at(30, -20), P(0)));    // centre band
}

TEST_F(PM5544Regions, CentreStripInterruptsBarsAndGratings)
{
    EXPECT_TRUE(samePixel(at(5, -63), P(11)));    // bars above the strip
    EXPECT_TRUE(samePixel(at(5, -62), P(0)));     // strip: centre pattern
    EXPECT_TRUE(samePixel(at(0, -62), P(7)));     // centre cross
    EXPECT_TRUE(samePixel(at(19, -62), P(0)));
    EXPECT_TRUE(samePixel(at(20, -62), P(11)));   // |dx| = h(39, 1080) is outside
    EXPECT_TRUE(samePixel(at(-1, 62), P(7)));
    EXPECT_TRUE(samePixel(at(-1, 63), at(-1, 64)));  // gratings again below the strip
    EXPECT_FALSE(samePixel(at(-1, 63), P(7)));
}

TEST_F(PM5544Regions, CentrePatternIsACrossOnVerticalLines)
{
    EXPECT_TRUE(samePixel(at(0, 0), P(7)));
    EXPECT_TRUE(samePixel(at(-1, -1), P(7)));
    EXPECT_TRUE(samePixel(at(-1, 15), P(7)));
    EXPECT_TRUE(samePixel(at(200, -1), P(7)));
    EXPECT_TRUE(samePixel(at(1, 1), P(0)));
    EXPECT_TRUE(samePixel(at(-2, 5), P(0)));
    // The vertical grid lines of the centre band, two samples wide.
    EXPECT_TRUE(samePixel(at(19, 5), P(0)));
    EXPECT_TRUE(samePixel(at(20, 5), P(7)));
    EXPECT_TRUE(samePixel(at(21, 5), P(7)));
    EXPECT_TRUE(samePixel(at(22, 5), P(0)));
    EXPECT_TRUE(samePixel(at(-20, 5), P(0)));
    EXPECT_TRUE(samePixel(at(-21, 5), P(7)));
    EXPECT_TRUE(samePixel(at(-22, 5), P(7)));
}

TEST_F(PM5544Regions, GratingsAreFramedByGreyAndBlack)
{
    // u = dx + 197 over a width of 395.
    EXPECT_TRUE(samePixel(at(-198, 50), P(3)));  // u = -1
    EXPECT_TRUE(samePixel(at(-199, 50), P(0)));  // u = -2
    EXPECT_TRUE(samePixel(at(198, 50), P(0)));   // u = 395
    EXPECT_TRUE(samePixel(at(30, 20), P(0)));    // centre band above
    EXPECT_FALSE(samePixel(at(-197, 21), at(-197, 20)));
}

TEST_F(PM5544Regions, GratingsFollowOneContinuousSine)
{
    const Pixel& white = P(7);
    // Start of the first grating (period 16): mid level, rising.
    EXPECT_TRUE(samePixel(at(-197, 50), white.scale(2048, 4096)));
    EXPECT_TRUE(samePixel(at(-193, 50), white));                    // quarter period: peak
    EXPECT_TRUE(samePixel(at(-185, 50), white.scale(0, 4096)));     // three quarters: trough
    // The second grating (period 7) starts at u = 79 with the phase the
    // first one reached there.
    const double pi = std::acos(-1.0);
    const double phase = 2 * pi * 79 / 16;
    const int level = static_cast<int>(2048 + 2048 * std::sin(phase));
    EXPECT_EQ(level, 1264);
    EXPECT_TRUE(samePixel(at(-197 + 79, 50), white.scale(level, 4096)));
    const int next = static_cast<int>(2048 + 2048 * std::sin(phase + 2 * pi * 1 / 7));
    EXPECT_TRUE(samePixel(at(-197 + 80, 50), white.scale(next, 4096)));
    // Every line of the band carries the same gratings.
    EXPECT_TRUE(samePixel(at(-100, 21), at(-100, 105)));
}

TEST_F(PM5544Regions, GreyScaleBlackBarAndBottomSegment)
{
    EXPECT_FALSE(samePixel(at(0, 105), P(4)));   // gratings
    EXPECT_TRUE(samePixel(at(0, 106), P(4)));    // grey scale, step 4
    EXPECT_TRUE(samePixel(at(-1, 106), P(2)));
    EXPECT_TRUE(samePixel(at(-80, 130), P(1)));
    EXPECT_TRUE(samePixel(at(100, 130), P(6)));
    EXPECT_TRUE(samePixel(at(0, 147), P(4)));
    EXPECT_TRUE(samePixel(at(0, 148), P(0)));    // black bar
    EXPECT_TRUE(samePixel(at(0, 189), P(0)));
    EXPECT_TRUE(samePixel(at(0, 190), P(15)));   // red bar of the bottom segment
    EXPECT_TRUE(samePixel(at(-20, 200), P(15)));
    EXPECT_TRUE(samePixel(at(-21, 200), P(14)));
    EXPECT_TRUE(samePixel(at(21, 200), P(15)));
    EXPECT_TRUE(samePixel(at(22, 200), P(14)));
}

TEST_F(PM5544Regions, BlackBarMarkEndsAtA577thOfTheHeight)
{
    // (576 * 21) / 577 = 20: the mark is the single sample u = 20.
    EXPECT_TRUE(samePixel(at(-107, 160), P(0)));
    EXPECT_TRUE(samePixel(at(-106, 160), P(7)));
    EXPECT_TRUE(samePixel(at(-105, 160), P(0)));
    EXPECT_TRUE(samePixel(at(-127, 160), P(7)));   // left of the bar
    EXPECT_TRUE(samePixel(at(125, 160), P(0)));
    EXPECT_TRUE(samePixel(at(126, 160), P(7)));
}

// ---------------------------------------------------------------------------
// Circle outline, grid area and border.

TEST_F(PM5544Regions, CircleTestIsStrict)
{
    EXPECT_TRUE(samePixel(at(0, 251), P(15)));  // inside
    EXPECT_TRUE(samePixel(at(0, 252), P(7)));   // exactly the radius: outline
    EXPECT_TRUE(samePixel(at(0, 253), P(7)));
    EXPECT_TRUE(samePixel(at(0, 254), P(3)));   // grid background
    EXPECT_TRUE(samePixel(at(0, -254), P(3)));
}

TEST_F(PM5544Regions, GridAreaEndsThreePercentFromTheEdges)
{
    EXPECT_TRUE(samePixel(at(300, 270), P(3)));
    EXPECT_TRUE(samePixel(at(300, 271), P(7)));   // border block
    EXPECT_TRUE(samePixel(at(337, 30), P(3)));
    EXPECT_TRUE(samePixel(at(338, 30), P(0)));    // border, dx < w(47, 100) is exclusive
    EXPECT_TRUE(samePixel(at(-338, 30), P(3)));
    EXPECT_TRUE(samePixel(at(-339, 30), P(0)));
}

TEST_F(PM5544Regions, GridLinesCrossTheGreyBackground)
{
    // Horizontal lines: (dy - 20) mod 42 <= 2.
    EXPECT_TRUE(samePixel(at(300, 19), P(3)));
    EXPECT_TRUE(samePixel(at(300, 20), P(7)));
    EXPECT_TRUE(samePixel(at(300, 22), P(7)));
    EXPECT_TRUE(samePixel(at(300, 23), P(3)));
}

// ---------------------------------------------------------------------------
// Corner circles: ring, square and dots.

// Corner centres (-225 or 225, -189 or 189); the circle test sees the
// horizontal centre as trunc(cx * 4 / 3) line units, reached near dx = cx * 5 / 4.
TEST_F(PM5544Regions, CornerCircleHasOutlineRingAndSquare)
{
    EXPECT_TRUE(samePixel(at(-223, -189), P(7)));  // 63 from the centre: outline
    EXPECT_TRUE(samePixel(at(-227, -189), P(0)));  // 58 from the centre: ring
    EXPECT_TRUE(samePixel(at(-282, -146), P(3)));  // inside the square
    EXPECT_TRUE(samePixel(at(-282, -145), P(0)));  // square bound is strict
    EXPECT_TRUE(samePixel(at(282, 146), P(3)));
    EXPECT_TRUE(samePixel(at(282, 145), P(0)));
}

struct DotCase {
    int signX;
    int signY;
    bool dots[5];  // centre, (-a, +t), (+a, -t), (+a, +t), (-a, -t)
};

TEST_F(PM5544Regions, CornersCarryOneToFourDots)
{
    const DotCase corners[] = {
        {-1, -1, {true, false, false, false, false}},  // top left: one
        {1, -1, {false, true, true, false, false}},    // top right: two, rising
        {-1, 1, {true, false, false, true, true}},     // bottom left: three, falling
        {1, 1, {false, true, true, true, true}},       // bottom right: four
    };
    const int offsetX[5] = {0, -1, 1, 1, -1};
    const int offsetY[5] = {0, 1, -1, 1, -1};
    const int a = 16;  // (720 * (3 * 22)) / (4 * 720)
    const int t = 22;
    for (const DotCase& corner : corners) {
        for (int d = 0; d < 5; ++d) {
            SCOPED_TRACE(testing::Message() << "corner " << corner.signX << "," << corner.signY << " dot " << d);
            const int dotCx = corner.signX * 225 + offsetX[d] * a;
            const int dotCy = corner.signY * 189 + offsetY[d] * t;
            const int centreX = (720 * (dotCx * 4)) / (3 * 720);
            // A textured sample within 4 line units of the dot's centre.
            bool found = false;
            for (int dy = dotCy - 2; dy <= dotCy + 2 && !found; ++dy) {
                for (int dx = centreX * 15 / 16 - 5; dx <= centreX * 15 / 16 + 5 && !found; ++dx) {
                    const int px = (576 * (dx * 4)) / (3 * 720);
                    if (!texture(dx, dy) || (px - centreX) * (px - centreX) + (dy - dotCy) * (dy - dotCy) > 16) {
                        continue;
                    }
                    found = true;
                    EXPECT_TRUE(samePixel(at(dx, dy), P(corner.dots[d] ? 0 : 3)));
                    // The untextured neighbour line stays grey, dot or not.
                    EXPECT_TRUE(samePixel(at(dx, dy + 1), P(3)));
                }
            }
            EXPECT_TRUE(found);
        }
    }
}

// ---------------------------------------------------------------------------
// Line ends.

TEST_F(PM5544Regions, LineEndsAreBlackShapedTowardTheCard)
{
    // Find a line whose first card samples are one colour other than black.
    PhilipsPm5544Spec& c = card();
    int line = -1;
    for (int y = 0; y < 576 && line < 0; ++y) {
        const Pixel first = c.render(2, y);
        bool uniform = !samePixel(first, P(0));
        for (int x = 3; x <= 5; ++x) {
            uniform = uniform && samePixel(c.render(x, y), first);
        }
        if (uniform) {
            line = y;
        }
    }
    ASSERT_GE(line, 0);
    const Pixel colour = c.render(2, line);
    EXPECT_TRUE(samePixel(c.body(0, line), colour.blend(c.lumaTransition[0], c.lumaTransition[0], P(0))));
    EXPECT_TRUE(samePixel(c.body(1, line), colour.blend(c.lumaTransition[1], c.lumaTransition[1], P(0))));
}

}  // namespace
