#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "patterns/PatternWrapper.h"

namespace {

class EdgePattern : public PatternSpec {
public:
    void setup() override {}
    Pixel body(int, int) override { return Pixel(); }
};

void expectTable(const std::deque<double>& table, const std::vector<double>& expected) {
    ASSERT_EQ(table.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(table[i], expected[i], 1e-6) << "coefficient " << i;
    }
}

Pixel rgb(int r, int g, int b) {
    return Pixel(g, b, r, PatternGen::Colour_RGB, 12);
}

void expectRgb(const Pixel& p, int r, int g, int b) {
    EXPECT_EQ(p.cr, r);
    EXPECT_EQ(p.y, g);
    EXPECT_EQ(p.cb, b);
}

}  // namespace

// --- Table computation -------------------------------------------------------

TEST(TransitionTable, StandardRiseTimeAtHdClock) {
    EdgePattern p;
    std::deque<double> table;
    p.calculateTransition(table, 25.0, 74.25);
    expectTable(table, {0.068797, 0.330117, 0.669883, 0.931203});
}

TEST(TransitionTable, HalfClockAndFastRise) {
    EdgePattern p;
    std::deque<double> table;
    p.calculateTransition(table, 25.0, 37.125);
    expectTable(table, {0.180447, 0.819553});
    p.calculateTransition(table, 15.0, 74.25);
    expectTable(table, {0.226918, 0.773082});
    // One sample per step: odd count, only the midpoint.
    p.calculateTransition(table, 15.0, 37.125);
    expectTable(table, {0.5});
}

TEST(TransitionTable, OddCountPutsHalfInTheMiddle) {
    EdgePattern p;
    std::deque<double> table;
    p.calculateTransition(table, 25.0, 148.5);
    expectTable(table, {0.008452, 0.068797, 0.180447, 0.330117, 0.5, 0.669883, 0.819553, 0.931203, 0.991548});
}

TEST(TransitionTable, SymmetricRisingAndStrictlyInsideZeroOne) {
    EdgePattern p;
    std::deque<double> table;
    for (double clock : {74.25, 148.5, 297.0, 13.5 * 20}) {
        p.calculateTransition(table, 25.0, clock);
        ASSERT_FALSE(table.empty());
        for (size_t k = 0; k < table.size(); ++k) {
            EXPECT_GT(table[k], 0.0);
            EXPECT_LT(table[k], 1.0);
            EXPECT_NEAR(table[k] + table[table.size() - 1 - k], 1.0, 1e-12);
            if (k > 0) {
                EXPECT_GT(table[k], table[k - 1]);
            }
        }
    }
}

TEST(TransitionTable, PeriodLongerThanStepGivesEmptyTableAndReplacesOld) {
    EdgePattern p;
    std::deque<double> table = {0.1, 0.2, 0.3};
    p.calculateTransition(table, 1.0, 13.5);
    EXPECT_TRUE(table.empty());
}

// --- Pattern set-up ----------------------------------------------------------

TEST(TransitionSetup, FourFourFourSharesTheLumaTable) {
    EdgePattern p;
    p.sampling = PatternGen::Sampling_444;
    p.riseTimeEnabled = false;
    p.calculateTransition(25.0, 74.25);
    EXPECT_TRUE(p.riseTimeEnabled);
    EXPECT_EQ(p.transitionSize, 4);
    EXPECT_EQ(p.chromaTransition, p.lumaTransition);
}

TEST(TransitionSetup, SubsampledChromaHasHalfClockTable) {
    for (PatternGen::sampling_e s : {PatternGen::Sampling_422, PatternGen::Sampling_420}) {
        EdgePattern p;
        p.sampling = s;
        p.calculateTransition(25.0, 74.25);
        EXPECT_EQ(p.transitionSize, 4);
        expectTable(p.lumaTransition, {0.068797, 0.330117, 0.669883, 0.931203});
        expectTable(p.chromaTransition, {0.180447, 0.819553});
    }
}

TEST(TransitionSetup, ZeroRiseTimeSwitchesOffAndKeepsTables) {
    EdgePattern p;
    p.sampling = PatternGen::Sampling_422;
    p.calculateTransition(25.0, 74.25);
    p.calculateTransition(0.0, 74.25);
    EXPECT_FALSE(p.riseTimeEnabled);
    EXPECT_EQ(p.transitionSize, 0);
    EXPECT_EQ(p.lumaTransition.size(), 4u);
    EXPECT_EQ(p.chromaTransition.size(), 2u);
}

TEST(TransitionSetup, NoRiseTimeOnlyClearsTheFlag) {
    EdgePattern p;
    p.calculateTransition(25.0, 74.25);
    p.noRiseTime();
    EXPECT_FALSE(p.riseTimeEnabled);
    EXPECT_EQ(p.transitionSize, 4);
    EXPECT_EQ(p.lumaTransition.size(), 4u);
}

// --- edge and edgeInv --------------------------------------------------------

class EdgeSteps : public testing::Test {
protected:
    EdgePattern p;
    void SetUp() override {
        p.sampling = PatternGen::Sampling_444;
        p.calculateTransition(25.0, 74.25);
    }
};

TEST_F(EdgeSteps, FirstStepIsMostlyTheOldColour) {
    Pixel current = rgb(0, 0, 0);
    p.edge(current, 4, rgb(4095, 4095, 4095), 0);
    expectRgb(current, 281, 281, 281);  // 4095 * 0.068797, truncated
}

TEST_F(EdgeSteps, InverseFirstStepIsMostlyTheTarget) {
    Pixel current = rgb(0, 0, 0);
    p.edgeInv(current, 4, rgb(4095, 4095, 4095), 0);
    expectRgb(current, 3813, 3813, 3813);  // 4095 * 0.931203, truncated
}

TEST_F(EdgeSteps, LumaAndChromaUseTheirOwnTables) {
    EdgePattern sub;
    sub.sampling = PatternGen::Sampling_422;
    sub.calculateTransition(25.0, 74.25);
    // Y'CbCr: luma steps by luma[1], chroma by chroma[1].
    Pixel current(256, 2048, 2048);
    sub.edge(current, 2, Pixel(3760, 2048 + 1000, 2048), 1);
    EXPECT_EQ(current.y, static_cast<int>(256 + 0.330117 * 3504));
    EXPECT_NEAR(current.cb, 2048 + 1000 * 0.819553, 1.0);
    EXPECT_EQ(current.cr, 2048);
}

TEST_F(EdgeSteps, StepBeyondTheEdgeCopiesTargetExactly) {
    const Pixel target(940, 500, 530, PatternGen::Colour_YCbCr_709, 10);
    Pixel current = rgb(1, 2, 3);
    p.edge(current, 4, target, 4);
    EXPECT_EQ(current.bitDepth, 10);
    EXPECT_EQ(current.axis, PatternGen::Colour_YCbCr_709);
    EXPECT_EQ(current.y, 940);
    EXPECT_EQ(current.cb, 500);
    EXPECT_EQ(current.cr, 530);

    Pixel other = rgb(1, 2, 3);
    p.edgeInv(other, 0, target, 0);  // zero steps: every call copies
    EXPECT_EQ(other.y, 940);
    EXPECT_EQ(other.cb, 500);
}

// --- vertLineAt ----------------------------------------------------------------

class VerticalLine : public testing::Test {
protected:
    EdgePattern p;
    const Pixel left = rgb(0, 0, 0);
    const Pixel line = rgb(4000, 4000, 4000);
    const Pixel right = rgb(2000, 2000, 2000);
    const Pixel untouched = rgb(7, 7, 7);
};

TEST_F(VerticalLine, ShapedOnePixelLineMixesItsNeighbours) {
    p.sampling = PatternGen::Sampling_444;
    p.riseTimeEnabled = true;
    Pixel out = untouched;
    ASSERT_TRUE(p.vertLineAt(100, 100, 1, left, line, right, out));
    expectRgb(out, 4000, 4000, 4000);
    ASSERT_TRUE(p.vertLineAt(100, 99, 1, left, line, right, out));
    expectRgb(out, 2000, 2000, 2000);  // half line, half left
    ASSERT_TRUE(p.vertLineAt(100, 101, 1, left, line, right, out));
    expectRgb(out, 3000, 3000, 3000);  // half line, half right
    out = untouched;
    EXPECT_FALSE(p.vertLineAt(100, 98, 1, left, line, right, out));
    EXPECT_FALSE(p.vertLineAt(100, 102, 1, left, line, right, out));
    expectRgb(out, 7, 7, 7);
}

TEST_F(VerticalLine, SubsampledChromaReachesOneSampleFurther) {
    p.sampling = PatternGen::Sampling_422;
    p.riseTimeEnabled = true;
    Pixel out = untouched;
    EXPECT_TRUE(p.vertLineAt(100, 98, 1, left, line, right, out));
    expectRgb(out, 2000, 2000, 2000);
    EXPECT_TRUE(p.vertLineAt(100, 102, 1, left, line, right, out));
    EXPECT_FALSE(p.vertLineAt(100, 97, 1, left, line, right, out));
    EXPECT_FALSE(p.vertLineAt(100, 103, 1, left, line, right, out));
}

TEST_F(VerticalLine, HardLineIsCentred) {
    p.riseTimeEnabled = false;
    Pixel out = untouched;
    EXPECT_FALSE(p.vertLineAt(100, 98, 3, left, line, right, out));
    expectRgb(out, 7, 7, 7);
    for (int x = 99; x <= 101; ++x) {
        out = untouched;
        EXPECT_TRUE(p.vertLineAt(100, x, 3, left, line, right, out)) << x;
        expectRgb(out, 4000, 4000, 4000);
    }
    EXPECT_FALSE(p.vertLineAt(100, 102, 3, left, line, right, out));
    EXPECT_TRUE(p.vertLineAt(100, 100, 1, left, line, right, out));
    EXPECT_FALSE(p.vertLineAt(100, 101, 1, left, line, right, out));
}
