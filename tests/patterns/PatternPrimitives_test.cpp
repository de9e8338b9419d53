#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "patterns/PatternTestPattern.h"

namespace {

constexpr int kBackground = 77;
using Expected = std::vector<std::pair<int, int>>;  // (position, grey level, or -1 when nothing is drawn)

// Greys make each blend one number: trunc(old * (1 - c) + new * c).
class Primitives : public testing::Test {
protected:
    TestPattern p;
    Pixel c1 = grey12(1000), c2 = grey12(3000), c3 = grey12(2000), line = grey12(4000);

    void SetUp() override {
        p.width = 1920;
        p.height = 1080;
        p.calculateTransition(25.0, 74.25);  // n = 4, 4:4:4
    }
    int mix(int from, int to, int k) { return int(from * (1 - p.lumaTransition[k]) + to * p.lumaTransition[k]); }

    template <typename Draw>
    void expectLevels(int n, const Expected& expected, Draw draw) {
        p.transitionSize = n;
        for (const auto& e : expected) {
            Pixel out = grey12(kBackground);
            const int drawn = draw(e.first, out);
            EXPECT_EQ(drawn ? out.y : -1, e.second) << "n " << n << " at " << e.first;
        }
    }
};

}  // namespace

TEST_F(Primitives, BarsAreEqualSlicesWithBlackOrTheBackgroundOutside) {
    auto bars = [&](int x, Pixel& out) { return p.bars(x, out, 3, 300, &c1, &c2, &c3); };
    expectLevels(0, {{-1, 0}, {0, 1000}, {99, 1000}, {100, 3000}, {299, 2000}, {300, 0}, {100000, 0}}, bars);
    // Windows of 4 from 2 before each edge, the outer ones from and to black.
    expectLevels(4, {{97, 1000}, {98, 1137}, {101, 2862}, {102, 3000}, {-3, 0}, {-2, 68}, {1, 931}, {298, 1862}}, bars);
    p.colours100[7] = grey12(5);  // black is the canvas black
    expectLevels(0, {{-1, 5}, {300, 5}}, bars);
    expectLevels(0, {{5, kBackground}}, [&](int x, Pixel& out) { return p.bars(x, out, -1, 300); });

    auto layered = [&](int x, Pixel& out) { return p.barsLayered(x, out, 3, 300, &c1, &c2, &c3); };
    expectLevels(0, {{-1, kBackground}, {0, 1000}, {100, 3000}, {299, 2000}, {300, kBackground}}, layered);
    expectLevels(4, {{97, 1000}, {98, 1137}, {100, mix(1000, 3000, 2)}, {101, 3000}, {-2, mix(kBackground, 1000, 0)}},
                 layered);  // even n: window 98 .. 100
    p.calculateTransition(25.0, 148.5);  // odd n = 9: window 95 .. 103, every coefficient
    expectLevels(9, {{94, 1000}, {95, mix(1000, 3000, 0)}, {103, mix(1000, 3000, 8)}, {104, 3000}}, layered);
    int widths[3] = {10, 20, 30};
    expectLevels(0, {{-1, kBackground}, {9, 1000}, {10, 3000}, {29, 3000}, {30, 2000}, {60, kBackground}},
                 [&](int x, Pixel& out) { return p.barsLayered(x, out, 3, widths, &c1, &c2, &c3); });
}

TEST_F(Primitives, SquareWaveHalvesWithCentredRamps) {
    auto square = [&](int x, Pixel& out) {
        out = p.squareWave(x, 10, c1, c2);
        return 1;
    };
    expectLevels(0, {{0, 3000}, {4, 3000}, {5, 1000}, {9, 1000}, {-1, 1000}, {-5, 1000}, {-6, 3000}}, square);
    expectLevels(4, {{-2, 1137}, {-12, 1137}, {1, 2862}, {2, 3000}, {3, mix(3000, 1000, 0)}, {6, mix(3000, 1000, 3)},
                     {7, 1000}},
                 square);  // m = x + 2
}

TEST_F(Primitives, GridLinesHardAndShaped) {
    // Rows lineWidth + 1 thick from pitch/2 - lineWidth/2; columns alike from (pitch + 1)/2 - w/2.
    expectLevels(0, {{48, -1}, {49, 4000}, {51, 4000}, {149, 4000}, {-51, 4000}, {52, -1}},
                 [&](int y, Pixel& out) { return p.grid(0, y, 100, 2, out, line); });
    expectLevels(0, {{48, -1}, {49, 4000}, {51, 4000}, {-49, 4000}, {52, -1}},
                 [&](int x, Pixel& out) { return p.grid(x, 10, 100, 2, out, line); });
    // Shaped: nine samples from 46, rising on 46 .. 49, falling from 50 to the background.
    expectLevels(4, {{45, -1}, {46, mix(kBackground, 4000, 0)}, {49, mix(kBackground, 4000, 3)},
                     {50, mix(4000, kBackground, 0)}, {53, mix(4000, kBackground, 3)}, {54, kBackground}, {55, -1}},
                 [&](int x, Pixel& out) { return p.gridVertical(x, 50, 100, 2, out, line); });
    p.width = 720;
    p.height = 576;
    p.aspectWidth = 4;
    p.aspectHeight = 3;  // xs = 2304 x / 2160, pitch 106 in those units
    expectLevels(0, {{48, -1}, {49, 4000}, {51, 4000}, {52, -1}, {148, -1}, {150, 4000}, {151, -1}},
                 [&](int x, Pixel& out) { return p.gridVertical(x, 0, 100, 2, out, line); });
}

TEST_F(Primitives, GridFlipVphaseReversesRowsAndNarrowsColumns) {
    expectLevels(0, {{50, -1}, {51, 4000}, {53, 4000}, {-49, 4000}, {54, -1}},
                 [&](int y, Pixel& out) { return p.gridFlipVphase(0, y, 100, 2, out, line); });
    // Unshaped columns are lineWidth - 2 wide: 3 for 5, none for 2.
    expectLevels(0, {{48, -1}, {49, 4000}, {51, 4000}, {52, -1}},
                 [&](int x, Pixel& out) { return p.gridFlipVphase(x, 0, 100, 5, out, line); });
    expectLevels(0, {{50, -1}}, [&](int x, Pixel& out) { return p.gridFlipVphase(x, 0, 100, 2, out, line); });
    // Shaped: eight samples from 46, both ramps inside the table.
    expectLevels(4, {{45, -1}, {46, mix(kBackground, 4000, 0)}, {53, mix(4000, kBackground, 3)}, {54, -1}},
                 [&](int x, Pixel& out) { return p.gridFlipVphase(x, 0, 100, 2, out, line); });
}
