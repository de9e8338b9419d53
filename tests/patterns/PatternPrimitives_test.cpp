#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "patterns/PatternTestPattern.h"

constexpr int kBackground = 77;
using Expected = std::vector<std::pair<int, int>>;  // (position, grey level, or -1 when nothing is drawn)

// Greys make each blend one number: trunc(old * (1 - c) + new * c).
class Primitives : public testing::Test {
protected:
    TestPattern p;
    Pixel c1 = grey12(1000), c2 = grey12(3000), c3 = grey12(2000), line = grey12(4000);

    void SetUp() override { p.width = 1920, p.height = 1080, p.calculateTransition(25.0, 74.25); }  // n = 4, 4:4:4
    void expectLevels(int n, const Expected& expected, const std::function<int(int, Pixel&)>& draw)
    {
        p.transitionSize = n;
        for (const auto& e : expected) {
            Pixel out = grey12(kBackground);
            EXPECT_EQ(draw(e.first, out) ? out.y : -1, e.second) << "n " << n << " at " << e.first;
        }
    }
};

TEST_F(Primitives, BarsAreEqualSlicesWithBlackOrTheBackgroundOutside)
{
    auto bars = [&](int x, Pixel& out) { return p.bars(x, out, 3, 300, &c1, &c2, &c3); };
    p.colours100[7] = grey12(5);  // outside is the canvas black
    expectLevels(0, {{-1, 5}, {0, 1000}, {99, 1000}, {100, 3000}, {299, 2000}, {300, 5}}, bars);
    // Windows of 4 from 2 before each edge, the outer ones from and to black.
    expectLevels(4, {{97, 1000}, {98, 1137}, {101, 2862}, {102, 3000}, {-3, 5}, {-2, 73}, {298, 1862}}, bars);

    auto layered = [&](int x, Pixel& out) { return p.barsLayered(x, out, 3, 300, &c1, &c2, &c3); };
    expectLevels(0, {{-1, kBackground}, {0, 1000}, {299, 2000}, {300, kBackground}}, layered);
    expectLevels(4, {{98, 1137}, {100, 2339}, {101, 3000}}, layered);  // even n: window 98 .. 100
    p.calculateTransition(25.0, 148.5);                                // odd n = 9: window 95 .. 103, every coefficient
    expectLevels(9, {{94, 1000}, {95, 1016}, {103, 2983}, {104, 3000}}, layered);
}

TEST_F(Primitives, SquareWaveHalvesWithCentredRamps)
{
    auto square = [&](int x, Pixel& out) { return out = p.squareWave(x, 10, c1, c2), 1; };
    expectLevels(0, {{0, 3000}, {4, 3000}, {5, 1000}, {9, 1000}, {-1, 1000}, {-5, 1000}, {-6, 3000}}, square);
    expectLevels(4, {{-2, 1137}, {-12, 1137}, {2, 3000}, {3, 2862}, {6, 1137}, {7, 1000}}, square);  // m = x + 2
}

TEST_F(Primitives, GridLinesHardAndShaped)
{
    // Rows lineWidth + 1 thick from pitch/2 - lineWidth/2; columns alike from (pitch + 1)/2 - w/2.
    expectLevels(0, {{48, -1}, {49, 4000}, {51, 4000}, {149, 4000}, {-51, 4000}, {52, -1}},
                 [&](int y, Pixel& out) { return p.grid(0, y, 100, 2, out, line); });
    // Shaped: nine samples from 46, rising on 46 .. 49, falling from 50 to the background.
    expectLevels(4, {{45, -1}, {46, 346}, {49, 3730}, {50, 3730}, {53, 346}, {54, kBackground}, {55, -1}},
                 [&](int x, Pixel& out) { return p.gridVertical(x, 50, 100, 2, out, line); });
    // Unshaped flipped columns are lineWidth - 2 wide: 3 for 5.
    expectLevels(0, {{48, -1}, {49, 4000}, {51, 4000}, {52, -1}},
                 [&](int x, Pixel& out) { return p.gridFlipVphase(x, 0, 100, 5, out, line); });
}
