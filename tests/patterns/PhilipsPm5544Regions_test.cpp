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
    static void TearDownTestSuite() { delete made; }

    static PhilipsPm5544Spec& card() { return *made->card; }
    static Pixel at(int dx, int dy) { return card().render(360 + dx, 288 + dy); }
    static const Pixel& P(int slot) { return card().palette[slot]; }

    static SetUpCard* made;
};

SetUpCard* PM5544Regions::made = nullptr;

TEST_F(PM5544Regions, EveryRegionBoundary)
{
    // dx, dy, palette slot; each boundary is tested from both sides.
    const int rows[][3] = {
        // Upper bands: white cap, black bar (u = dx + 83), white bar, square wave.
        {0, -233, 7}, {0, -232, 0}, {-83, -232, 0}, {-84, -232, 7}, {84, -232, 0}, {85, -232, 7}, {0, -191, 0},
        {0, -190, 7}, {0, -147, 7}, {0, -146, 0},
        // White bar u = dx + 126: black mark u = 20 to 22, bar ends.
        {-107, -170, 7}, {-106, -170, 0}, {-104, -170, 0}, {-103, -170, 7}, {-127, -170, 0}, {125, -170, 7},
        {126, -170, 0},
        // Square wave, period 27, in phase with the centre.
        {12, -120, 0}, {13, -120, 5}, {26, -120, 5}, {27, -120, 0}, {-1, -120, 5}, {-15, -120, 0},
        // Colour bars, 84 samples each from dx = -252.
        {30, -105, 0}, {30, -104, 11}, {-169, -80, 8}, {-168, -80, 9}, {-1, -80, 10}, {0, -80, 11}, {84, -80, 12},
        {168, -80, 13}, {30, -21, 11}, {30, -20, 0},
        // Centre strip h(21) <= |dy| < h(63), |dx| < h(39, 1080) = 20.
        {5, -63, 11}, {5, -62, 0}, {0, -62, 7}, {19, -62, 0}, {20, -62, 11}, {-1, 62, 7},
        // Centre pattern: the cross and vertical lines 3 samples wide on black.
        {0, 0, 7}, {-1, -1, 7}, {-1, 15, 7}, {200, -1, 7}, {1, 1, 0}, {19, 5, 0}, {20, 5, 7}, {21, 5, 7}, {22, 5, 0},
        {-20, 5, 0}, {-21, 5, 7}, {-22, 5, 7},
        // Gratings u = dx + 197 over 395 samples: grey at u = -1, black beyond.
        {-198, 50, 3}, {-199, 50, 0}, {198, 50, 0},
        // Grey scale, black bar with its white mark at u = 20 only, bottom segment.
        {0, 106, 4}, {-1, 106, 2}, {-80, 130, 1}, {100, 130, 6}, {0, 147, 4}, {0, 148, 0}, {-107, 160, 0},
        {-106, 160, 7}, {-105, 160, 0}, {-127, 160, 7}, {125, 160, 0}, {126, 160, 7}, {0, 189, 0}, {0, 190, 15},
        {-20, 200, 15}, {-21, 200, 14}, {21, 200, 15}, {22, 200, 14},
        // Circle: exactly the radius is the outline; grid beyond.
        {0, 251, 15}, {0, 252, 7}, {0, 253, 7}, {0, 254, 3}, {0, -254, 3},
        // Grid area to h(47, 100) and w(47, 100) (exclusive on the right); grid lines.
        {300, 270, 3}, {300, 271, 7}, {337, 30, 3}, {338, 30, 0}, {-338, 30, 3}, {-339, 30, 0}, {300, 19, 3},
        {300, 20, 7}, {300, 22, 7}, {300, 23, 3},
        // Border: blocks, and grid lines through the side borders only.
        {-356, -229, 0}, {-356, -232, 7}, {-351, -229, 7}, {-356, -274, 0}, {-356, -273, 7},
        // Corner circle (-225, -189): outline, ring, square with strict bounds.
        {-223, -189, 7}, {-227, -189, 0}, {-282, -146, 3}, {-282, -145, 0}, {282, 146, 3}, {282, 145, 0},
    };
    for (const auto& r : rows) {
        EXPECT_TRUE(samePixel(at(r[0], r[1]), P(r[2]))) << "dx " << r[0] << " dy " << r[1];
    }
}

TEST_F(PM5544Regions, GratingsFollowOneContinuousSine)
{
    const Pixel& white = P(7);
    EXPECT_TRUE(samePixel(at(-197, 50), white.scale(2048, 4096)));  // period 16: mid level, rising
    EXPECT_TRUE(samePixel(at(-193, 50), white));
    EXPECT_TRUE(samePixel(at(-185, 50), white.scale(0, 4096)));
    // The second grating (period 7) starts at u = 79 with the phase the first reached.
    const double twoPi = 2 * std::acos(-1.0);
    const double phase = twoPi * 79 / 16;
    EXPECT_TRUE(samePixel(at(-197 + 79, 50), white.scale(1264, 4096)));
    const int next = static_cast<int>(2048 + 2048 * std::sin(phase + twoPi * 1 / 7));
    EXPECT_TRUE(samePixel(at(-197 + 80, 50), white.scale(next, 4096)));
    EXPECT_TRUE(samePixel(at(-100, 21), at(-100, 105)));
    EXPECT_FALSE(samePixel(at(-197, 21), at(-197, 20)));
}

TEST_F(PM5544Regions, CornersCarryOneToFourTexturedDots)
{
    // Dots tried: centre, (-a, +t), (+a, -t), (+a, +t), (-a, -t); a = 16, t = 22.
    const char* present[4] = {"10000", "01100", "10011", "01111"};  // TL, TR, BL, BR
    const int signX[4] = {-1, 1, -1, 1}, signY[4] = {-1, -1, 1, 1};
    const int offX[5] = {0, -1, 1, 1, -1}, offY[5] = {0, 1, -1, 1, -1};
    for (int c = 0; c < 4; ++c) {
        for (int d = 0; d < 5; ++d) {
            SCOPED_TRACE(testing::Message() << "corner " << c << " dot " << d);
            const int dotDx = ((signX[c] * 225 + offX[d] * 16) * 4 / 3) * 15 / 16;
            const int dotDy = signY[c] * 189 + offY[d] * 22;
            for (int dx = dotDx - 2; dx <= dotDx + 2; ++dx) {
                for (int dy = dotDy - 2; dy <= dotDy + 2; ++dy) {
                    // The texture is mirrored about the centre lines in both directions.
                    const int column = dx >= 0 ? dx : -dx - 1, line = dy >= 0 ? dy : -dy - 1;
                    const bool textured = present[c][d] == '1' && (column / 2) % 2 == 1 && line % 2 == 1;
                    EXPECT_TRUE(samePixel(at(dx, dy), P(textured ? 0 : 3))) << dx << "," << dy;
                }
            }
        }
    }
}

TEST_F(PM5544Regions, LineEndsAreBlackShapedTowardTheCard)
{
    PhilipsPm5544Spec& c = card();
    const std::deque<double>& l = c.lumaTransition;
    for (int x : {2, 3, 4, 5, 714, 715, 716, 717}) {
        ASSERT_TRUE(samePixel(c.render(x, 40), P(7))) << x;
    }
    // The black end samples ramp toward the white they meet, as any lone edge does.
    EXPECT_TRUE(samePixel(c.body(0, 40), P(7).blend(l[0], l[0], P(0))));
    EXPECT_TRUE(samePixel(c.body(1, 40), P(7).blend(l[1], l[1], P(0))));
    EXPECT_TRUE(samePixel(c.body(718, 40), P(0).blend(l[2], l[2], P(7))));
    EXPECT_TRUE(samePixel(c.body(719, 40), P(0).blend(l[3], l[3], P(7))));
}

}  // namespace
