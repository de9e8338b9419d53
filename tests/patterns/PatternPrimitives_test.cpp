#include <gtest/gtest.h>

#include "patterns/PatternWrapper.h"

namespace {

class PrimitivePattern : public PatternSpec {
public:
    void setup() override {}
    Pixel body(int, int) override { return Pixel(); }
};

Pixel grey(int level) {
    return Pixel(level, level, level, PatternGen::Colour_RGB, 12);
}

// R'G'B' greys make the blends easy to read: every component is
// trunc(old * (1 - c) + new * c).
int levelOf(const Pixel& p) {
    EXPECT_EQ(p.y, p.cb);
    EXPECT_EQ(p.y, p.cr);
    return p.y;
}

constexpr int kC1 = 1000;
constexpr int kC2 = 3000;
constexpr int kC3 = 2000;
constexpr int kBackground = 77;

// Primitives with the standard 4:4:4 edge tables (n = 4), or with shaping
// switched off (n = 0) as the card draws.
class Primitives : public testing::Test {
protected:
    PrimitivePattern p;
    Pixel c1 = grey(kC1);
    Pixel c2 = grey(kC2);
    Pixel c3 = grey(kC3);

    void SetUp() override {
        p.width = 1920;
        p.height = 1080;
        p.sampling = PatternGen::Sampling_444;
        p.calculateTransition(25.0, 74.25);
    }
    void hardEdges() { p.transitionSize = 0; }

    int barsAt(int x) {
        Pixel out = grey(kBackground);
        EXPECT_EQ(p.bars(x, out, 3, 300, &c1, &c2, &c3), 1);
        return levelOf(out);
    }
    int layeredAt(int x) {
        Pixel out = grey(kBackground);
        EXPECT_EQ(p.barsLayered(x, out, 3, 300, &c1, &c2, &c3), 1);
        return levelOf(out);
    }
    int layeredWidthsAt(int x) {
        int widths[3] = {10, 20, 30};
        Pixel out = grey(kBackground);
        EXPECT_EQ(p.barsLayered(x, out, 3, widths, &c1, &c2, &c3), 1);
        return levelOf(out);
    }
    int squareAt(int x, int period = 10) { return levelOf(p.squareWave(x, period, c1, c2)); }
};

}  // namespace

// --- bars --------------------------------------------------------------------

TEST_F(Primitives, BarsHardEdgesWithBlackOutside) {
    hardEdges();
    EXPECT_EQ(barsAt(-1), 0);
    EXPECT_EQ(barsAt(0), kC1);
    EXPECT_EQ(barsAt(99), kC1);
    EXPECT_EQ(barsAt(100), kC2);
    EXPECT_EQ(barsAt(199), kC2);
    EXPECT_EQ(barsAt(200), kC3);
    EXPECT_EQ(barsAt(299), kC3);
    EXPECT_EQ(barsAt(300), 0);
    EXPECT_EQ(barsAt(-100000), 0);
    EXPECT_EQ(barsAt(100000), 0);
}

TEST_F(Primitives, BarsRampStartsHalfARampBeforeEachEdge) {
    // Window 98..101 around the edge at 100.
    EXPECT_EQ(barsAt(97), kC1);
    EXPECT_EQ(barsAt(98), 1137);  // 1000 * 0.931203 + 3000 * 0.068797
    EXPECT_EQ(barsAt(101), 2862);
    EXPECT_EQ(barsAt(102), kC2);
    // Outer edges ramp from and to black.
    EXPECT_EQ(barsAt(-3), 0);
    EXPECT_EQ(barsAt(-2), 68);
    EXPECT_EQ(barsAt(1), 931);
    EXPECT_EQ(barsAt(2), kC1);
    EXPECT_EQ(barsAt(298), 1862);  // 2000 * 0.931203, fading to black
    EXPECT_EQ(barsAt(302), 0);
}

TEST_F(Primitives, BarsBlackIsTheCanvasBlack) {
    hardEdges();
    p.colours100[7] = grey(5);
    EXPECT_EQ(barsAt(-1), 5);
    EXPECT_EQ(barsAt(300), 5);
}

TEST_F(Primitives, BarsWithoutColoursLeaveOutUntouched) {
    Pixel out = grey(kBackground);
    EXPECT_EQ(p.bars(5, out, -1, 300), 1);
    EXPECT_EQ(p.bars(5, out, 0, 300), 1);
    EXPECT_EQ(levelOf(out), kBackground);
}

// --- barsLayered -------------------------------------------------------------

TEST_F(Primitives, LayeredKeepsTheIncomingBackground) {
    hardEdges();
    EXPECT_EQ(layeredAt(-1), kBackground);
    EXPECT_EQ(layeredAt(0), kC1);
    EXPECT_EQ(layeredAt(100), kC2);
    EXPECT_EQ(layeredAt(299), kC3);
    EXPECT_EQ(layeredAt(300), kBackground);
}

TEST_F(Primitives, LayeredRampWindowIsOneShorterForEvenN) {
    // n = 4: window 98..100, coefficients 0..2.
    EXPECT_EQ(layeredAt(97), kC1);
    EXPECT_EQ(layeredAt(98), 1137);
    EXPECT_EQ(layeredAt(100), static_cast<int>(kC1 * (1 - p.lumaTransition[2]) + kC2 * p.lumaTransition[2]));
    EXPECT_EQ(layeredAt(101), kC2);
    // Outer edge ramps from the background.
    EXPECT_EQ(layeredAt(-3), kBackground);
    EXPECT_EQ(layeredAt(-2), static_cast<int>(kBackground * (1 - p.lumaTransition[0]) + kC1 * p.lumaTransition[0]));
}

TEST_F(Primitives, LayeredOddNWindowCoversTheWholeTable) {
    p.calculateTransition(25.0, 148.5);  // n = 9
    ASSERT_EQ(p.transitionSize, 9);
    // Window edge - 5 .. edge + 3: nine samples, all coefficients.
    EXPECT_EQ(layeredAt(94), kC1);
    EXPECT_EQ(layeredAt(99), 1999);  // the midpoint coefficient is just below 0.5
    EXPECT_EQ(layeredAt(103), static_cast<int>(kC1 * (1 - p.lumaTransition[8]) + kC2 * p.lumaTransition[8]));
    EXPECT_EQ(layeredAt(104), kC2);
}

TEST_F(Primitives, LayeredWidthsPlaceEdgesAtRunningSums) {
    hardEdges();
    EXPECT_EQ(layeredWidthsAt(-1), kBackground);
    EXPECT_EQ(layeredWidthsAt(0), kC1);
    EXPECT_EQ(layeredWidthsAt(9), kC1);
    EXPECT_EQ(layeredWidthsAt(10), kC2);
    EXPECT_EQ(layeredWidthsAt(29), kC2);
    EXPECT_EQ(layeredWidthsAt(30), kC3);
    EXPECT_EQ(layeredWidthsAt(59), kC3);
    EXPECT_EQ(layeredWidthsAt(60), kBackground);
    p.calculateTransition(25.0, 74.25);
    EXPECT_EQ(layeredWidthsAt(8), 1137);  // window 8..10 around the edge at 10
    EXPECT_EQ(layeredWidthsAt(11), kC2);
}

TEST_F(Primitives, ShortChromaTableCompletesTheChromaRamp) {
    // 4:2:2 chroma has two coefficients against four of luma; past its end
    // the chroma is the new colour's.
    p.sampling = PatternGen::Sampling_422;
    p.calculateTransition(25.0, 74.25);
    Pixel a(256, 2048 - 1000, 2048);
    Pixel b(3760, 2048 + 1000, 2048);
    Pixel out;
    p.bars(101, out, 2, 200, &a, &b);
    EXPECT_EQ(out.cb, 3048);
    EXPECT_LT(out.y, 3760);
}

// --- squareWave --------------------------------------------------------------

TEST_F(Primitives, SquareWaveHardHalves) {
    hardEdges();
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(squareAt(x), kC2) << x;
        EXPECT_EQ(squareAt(x + 5), kC1) << x;
    }
    EXPECT_EQ(squareAt(-1), kC1);  // wraps to m = 9
    EXPECT_EQ(squareAt(-5), kC1);
    EXPECT_EQ(squareAt(-6), kC2);
    EXPECT_EQ(squareAt(-10), kC2);
}

TEST_F(Primitives, SquareWaveRampsAreCentredOnTheEdges) {
    // m = x + 2: the ramp from a to b starts at x = -2.
    EXPECT_EQ(squareAt(-2), 1137);
    EXPECT_EQ(squareAt(-12), 1137);
    EXPECT_EQ(squareAt(1), 2862);
    EXPECT_EQ(squareAt(2), kC2);
    // m = 5 (x = 3) starts the ramp back from b to a.
    EXPECT_EQ(squareAt(3), static_cast<int>(kC2 * (1 - p.lumaTransition[0]) + kC1 * p.lumaTransition[0]));
    EXPECT_EQ(squareAt(6), static_cast<int>(kC2 * (1 - p.lumaTransition[3]) + kC1 * p.lumaTransition[3]));
    EXPECT_EQ(squareAt(7), kC1);
}

// --- grid --------------------------------------------------------------------

TEST_F(Primitives, GridHardLines) {
    hardEdges();
    const Pixel line = grey(4000);
    Pixel out = grey(kBackground);
    // Horizontal lines: lineWidth + 1 lines starting at pitch/2 - lineWidth/2.
    EXPECT_EQ(p.grid(0, 48, 100, 2, out, line), 0);
    EXPECT_EQ(levelOf(out), kBackground);
    for (int y : {49, 50, 51, 149, -51}) {
        out = grey(kBackground);
        EXPECT_EQ(p.grid(0, y, 100, 2, out, line), 1) << y;
        EXPECT_EQ(levelOf(out), 4000);
    }
    EXPECT_EQ(p.grid(0, 52, 100, 2, out = grey(kBackground), line), 0);
    // Vertical lines: lineWidth + 1 samples at (pitch+1)/2 - w/2.
    for (int x : {49, 50, 51, -49}) {
        out = grey(kBackground);
        EXPECT_EQ(p.grid(x, 0, 100, 2, out, line), 1) << x;
        EXPECT_EQ(levelOf(out), 4000);
    }
    out = grey(kBackground);
    EXPECT_EQ(p.grid(48, 0, 100, 2, out, line), 0);
    EXPECT_EQ(p.grid(52, 0, 100, 2, out, line), 0);
    EXPECT_EQ(levelOf(out), kBackground);
    // gridVertical draws the same columns and ignores the rows.
    EXPECT_EQ(p.gridVertical(0, 50, 100, 2, out, line), 0);
    EXPECT_EQ(p.gridVertical(50, 7, 100, 2, out, line), 1);
}

TEST_F(Primitives, GridVerticalLinesFollowThePixelAspect) {
    hardEdges();
    p.width = 720;
    p.height = 576;
    p.aspectWidth = 4;
    p.aspectHeight = 3;
    // xs = 2304 x / 2160, pitch 106 in those units: lines at xs 52..54 and 158..160.
    const Pixel line = grey(4000);
    Pixel out = grey(kBackground);
    for (int x : {49, 50, 51, 149, 150}) {
        EXPECT_EQ(p.gridVertical(x, 0, 100, 2, out, line), 1) << x;
    }
    for (int x : {48, 52, 148, 151}) {
        EXPECT_EQ(p.gridVertical(x, 0, 100, 2, out, line), 0) << x;
    }
}

TEST_F(Primitives, GridShapedVerticalLine) {
    // n = 4, lineWidth 2: nine samples from x = 46, rising on 46..49, falling from 50.
    const Pixel line = grey(4000);
    Pixel out = grey(0);
    EXPECT_EQ(p.grid(45, 0, 100, 2, out, line), 0);
    out = grey(0);
    EXPECT_EQ(p.grid(46, 0, 100, 2, out, line), 1);
    EXPECT_EQ(levelOf(out), 275);  // 4000 * 0.068797
    out = grey(0);
    p.grid(50, 0, 100, 2, out, line);
    EXPECT_EQ(levelOf(out), 3724);  // 4000 * 0.931203: the old colour's weight
    out = grey(0);
    p.grid(53, 0, 100, 2, out, line);
    EXPECT_EQ(levelOf(out), 275);
    // The ninth sample lies past the table: the ramp has reached the background.
    out = grey(0);
    EXPECT_EQ(p.grid(54, 0, 100, 2, out, line), 1);
    EXPECT_EQ(levelOf(out), 0);
    EXPECT_EQ(p.grid(55, 0, 100, 2, out, line), 0);
}

TEST_F(Primitives, GridFlipVphaseReversesRowsAndNarrowsColumns) {
    hardEdges();
    const Pixel line = grey(4000);
    Pixel out = grey(kBackground);
    for (int y : {51, 52, 53, -49}) {
        EXPECT_EQ(p.gridFlipVphase(0, y, 100, 2, out, line), 1) << y;
    }
    for (int y : {49, 50, 54}) {
        EXPECT_EQ(p.gridFlipVphase(0, y, 100, 2, out, line), 0) << y;
    }
    // lineWidth 5: columns lineWidth - 2 = 3 wide, at 49..51.
    for (int x : {49, 50, 51}) {
        out = grey(kBackground);
        EXPECT_EQ(p.gridFlipVphase(x, 0, 100, 5, out, line), 1) << x;
        EXPECT_EQ(levelOf(out), 4000);
    }
    EXPECT_EQ(p.gridFlipVphase(48, 0, 100, 5, out, line), 0);
    EXPECT_EQ(p.gridFlipVphase(52, 0, 100, 5, out, line), 0);
    // lineWidth 2 with no shaping leaves no vertical line at all.
    EXPECT_EQ(p.gridFlipVphase(50, 0, 100, 2, out, line), 0);
}

TEST_F(Primitives, GridFlipVphaseShapedColumnUsesWholeTable) {
    // n = 4, lineWidth 2: eight samples, rising 0..3 then falling 0..3.
    const Pixel line = grey(4000);
    Pixel out = grey(0);
    // w = 8, start (100+1)/2 - 4 = 46.
    EXPECT_EQ(p.gridFlipVphase(45, 0, 100, 2, out, line), 0);
    EXPECT_EQ(p.gridFlipVphase(46, 0, 100, 2, out = grey(0), line), 1);
    EXPECT_EQ(levelOf(out), 275);
    EXPECT_EQ(p.gridFlipVphase(53, 0, 100, 2, out = grey(0), line), 1);
    EXPECT_EQ(levelOf(out), 275);  // old colour weighted by luma[3]
    EXPECT_EQ(p.gridFlipVphase(54, 0, 100, 2, out = grey(0), line), 0);
}
