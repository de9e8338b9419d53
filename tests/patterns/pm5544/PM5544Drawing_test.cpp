#include <gtest/gtest.h>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

// A 576-line 4:3 card: every h(n, 576) is n itself, the centre is (360, 288)
// and a horizontal offset dx measures trunc(dx * 16 / 15) in line units.
PhilipsPm5544Spec& card()
{
    static const SetUpCard made = makeCard(720, 576, 4, 3);
    return *made.card;
}
Pixel at(int dx, int dy)
{
    return card().render(360 + dx, 288 + dy);
}
const Pixel& P(int slot)
{
    return card().palette[slot];
}

TEST(PM5544Drawing, EveryRegionBoundary)
{
    // dx, dy, palette slot; each boundary is tested from both sides.
    // A group of rows per part of the card, as laid out here.
    // clang-format off
    const int rows[][3] = {
        // White cap; black bar u = dx + 83, 168 wide; white bar u = dx + 126 with its black mark u = 20 to 22;
        // the first and last line of each.
        {0, -233, 7}, {0, -232, 0}, {-84, -232, 7}, {-83, -232, 0}, {84, -232, 0}, {85, -232, 7}, {0, -191, 0},
        {0, -190, 7}, {-107, -170, 7}, {-106, -170, 0}, {-104, -170, 0}, {-103, -170, 7}, {125, -170, 7},
        {126, -170, 0}, {0, -147, 7},
        // Square wave, period 27, in phase with the centre; colour bars, 84 samples each from dx = -252.
        {0, -146, 0}, {12, -120, 0}, {13, -120, 5}, {26, -120, 5}, {27, -120, 0}, {-1, -120, 5}, {30, -105, 0},
        {30, -104, 11}, {-169, -80, 8}, {-168, -80, 9}, {-1, -80, 10}, {0, -80, 11}, {84, -80, 12}, {168, -80, 13},
        {30, -21, 11}, {30, -20, 0},
        // Centre strip h(21) <= |dy| < h(63), |dx| < h(39, 1080) = 20; centre cross and vertical lines on black.
        {5, -63, 11}, {5, -62, 0}, {0, -62, 7}, {19, -62, 0}, {20, -62, 11}, {-1, 62, 7}, {0, 0, 7},
        {-1, -1, 7}, {1, 1, 0}, {200, -1, 7}, {19, 5, 0}, {20, 5, 7}, {22, 5, 0}, {-21, 5, 7},
        // Gratings u = dx + 197 on lines 21 to 105: grey at u = -1, black beyond; grey scale in steps of 79
        // from dx = -237.
        {-198, 20, 0}, {-198, 21, 3}, {-198, 105, 3}, {-199, 50, 0}, {198, 50, 0}, {0, 106, 4}, {-1, 106, 2},
        {-80, 130, 1}, {100, 130, 6}, {0, 147, 4},
        // Black bar with its white mark at u = 20 only (576 * 21 / 577); bottom segment, red dx = -20 to 21.
        {0, 148, 0}, {-107, 160, 0}, {-106, 160, 7}, {-105, 160, 0}, {125, 160, 0}, {126, 160, 7}, {0, 189, 0},
        {0, 190, 15}, {-20, 200, 15}, {-21, 200, 14}, {21, 200, 15}, {22, 200, 14},
        // Circle: exactly the radius is the outline, which ends at 157 line units across on line 200; grid
        // area to h(47, 100) and w(47, 100) (exclusive on the right), grid lines.
        {0, 251, 15}, {0, 252, 7}, {147, 200, 7}, {148, 200, 3}, {300, 270, 3}, {300, 271, 7}, {337, 30, 3},
        {338, 30, 0}, {-338, 30, 3}, {-339, 30, 0}, {300, 19, 3}, {300, 20, 7}, {300, 22, 7}, {300, 23, 3},
        // Border blocks, grid lines through the side borders only; corner circle (-225, -189): outline,
        // ring, square with strict bounds.
        {-356, -229, 0}, {-356, -232, 7}, {-351, -229, 7}, {-356, -274, 0}, {-356, -273, 7}, {-223, -189, 7},
        {-227, -189, 0}, {-282, -146, 3}, {-282, -145, 0}, {282, 146, 3}, {282, 145, 0},
    };
    // clang-format on
    for (const auto& r : rows) {
        EXPECT_TRUE(samePixel(at(r[0], r[1]), P(r[2]))) << "dx " << r[0] << " dy " << r[1];
    }
}

TEST(PM5544Drawing, GratingsFollowOneContinuousSine)
{
    // u, level of 4096: period 16 from mid level rising; the second grating
    // (period 7) starts at u = 79 with the phase the first reached.
    const int rows[][2] = {{0, 2048}, {4, 4096}, {12, 0}, {79, 1264}, {80, 3038}};
    for (const auto& r : rows) {
        EXPECT_TRUE(samePixel(at(-197 + r[0], 50), P(7).scale(r[1], 4096))) << r[0];
    }
}

TEST(PM5544Drawing, CornersCarryOneToFourTexturedDots)
{
    // Corners TL, TR, BL, BR; dots tried: centre, (-a, +t), (+a, -t), (+a, +t), (-a, -t) with a = 16, t = 22.
    const char* present[4] = {"10000", "01100", "10011", "01111"};
    const int offX[5] = {0, -1, 1, 1, -1}, offY[5] = {0, 1, -1, 1, -1};
    for (int c = 0; c < 4; ++c) {
        for (int d = 0; d < 5; ++d) {
            const int dotDx = (((c % 2 ? 225 : -225) + offX[d] * 16) * 4 / 3) * 15 / 16;
            const int dotDy = (c < 2 ? -189 : 189) + offY[d] * 22;
            for (int k = 0; k < 25; ++k) {
                const int dx = dotDx - 2 + k % 5, dy = dotDy - 2 + k / 5;
                // The texture is mirrored about the centre lines in both directions.
                const int column = dx >= 0 ? dx : -dx - 1, line = dy >= 0 ? dy : -dy - 1;
                const bool textured = present[c][d] == '1' && (column / 2) % 2 == 1 && line % 2 == 1;
                EXPECT_TRUE(samePixel(at(dx, dy), P(textured ? 0 : 3))) << c << "/" << d << " at " << dx << "," << dy;
            }
        }
    }
}

TEST(PM5544Drawing, LineEndsAreBlackShapedTowardTheCard)
{
    // Line 40 meets white at both ends; its black end samples ramp as any lone edge does.
    const double toWhite[4] = {0.068797, 0.330117, 0.669883, 0.931203};
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(samePixel(card().body(i, 40), P(7).blend(toWhite[i], toWhite[i], P(0)))) << i;
        EXPECT_TRUE(samePixel(card().body(718 + i, 40), P(0).blend(toWhite[2 + i], toWhite[2 + i], P(7)))) << i;
    }
}

}  // namespace
