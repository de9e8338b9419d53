#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "patterns/PatternTestPattern.h"

TEST(Transitions, CoefficientsForRiseTimeAndClock)
{
    const struct {
        double riseNs, clockMHz;
        std::vector<double> table;
    } cases[] = {
        {25.0, 74.25, {0.068797, 0.330117, 0.669883, 0.931203}},
        {25.0, 37.125, {0.180447, 0.819553}},
        {15.0, 74.25, {0.226918, 0.773082}},
        {25.0, 148.5, {0.008452, 0.068797, 0.180447, 0.330117, 0.5, 0.669883, 0.819553, 0.931203, 0.991548}},
        {1.0, 13.5, {}},        // a sample period longer than the step
        {-25.0, 74.25, {0.5}},  // a count of -5 is odd too
    };
    TestPattern p;
    for (const auto& c : cases) {
        std::deque<double> table = {9.0};  // replaced, not appended to
        p.calculateTransition(table, c.riseNs, c.clockMHz);
        ASSERT_EQ(table.size(), c.table.size()) << c.riseNs << " ns at " << c.clockMHz;
        for (size_t i = 0; i < table.size(); ++i) EXPECT_NEAR(table[i], c.table[i], 1e-6) << c.riseNs << ", " << i;
    }
}

TEST(Transitions, SetUpFollowsSamplingAndEdgesBlendTowardTheTarget)
{
    TestPattern p;  // 4:4:4
    p.riseTimeEnabled = false;
    p.calculateTransition(25.0, 74.25);
    EXPECT_TRUE(p.riseTimeEnabled && p.transitionSize == 4 && p.chromaTransition == p.lumaTransition);
    Pixel current = grey12(0), inverse = grey12(0);
    p.edge(current, 4, grey12(4095), 0);
    p.edgeInv(inverse, 4, grey12(4095), 0);
    EXPECT_EQ((std::vector<int>{current.y, inverse.y}), (std::vector<int>{281, 3813}));  // 7 % and 93 % of the target
    p.edge(current, 4, Pixel(940, 500, 530, PatternGen::Colour_YCbCr_709, 10), 4);  // past the edge: copied exactly
    EXPECT_TRUE(current.bitDepth == 10 && current.cr == 530);
    // 4:2:2 chroma has two steps to luma's four: beyond them its ramp is complete.
    p.sampling = PatternGen::Sampling_422;
    p.calculateTransition(25.0, 74.25);
    current = Pixel(256, 1048, 2048);
    p.edge(current, 4, Pixel(3760, 3048, 2048), 3);
    EXPECT_EQ((std::vector<int>{current.y, current.cb}), (std::vector<int>{3518, 3048}));  // luma at 0.931203
    p.calculateTransition(0.0, 74.25);  // shaping off, the tables left as they were
    EXPECT_TRUE(!p.riseTimeEnabled && p.transitionSize == 0);
    EXPECT_TRUE(p.lumaTransition.size() == 4 && p.chromaTransition.size() == 2);
}

TEST(Transitions, VerticalLinesShapedOrCentred)
{
    TestPattern p;
    const Pixel left = grey12(0), line = grey12(4000), right = grey12(2000);
    // x = 97 .. 103 around a one-sample line at 100: 4:4:4, then 4:2:2 reaching one further (-1: not on it).
    const int levels[2][7] = {{-1, -1, 2000, 4000, 3000, -1, -1}, {-1, 2000, 2000, 4000, 3000, 3000, -1}};
    for (int i = 0; i < 14; ++i) {
        p.sampling = i < 7 ? PatternGen::Sampling_444 : PatternGen::Sampling_422;
        Pixel out = grey12(7);
        EXPECT_EQ(p.vertLineAt(100, 97 + i % 7, 1, left, line, right, out) ? out.y : -1, levels[i / 7][i % 7]) << i;
    }
    p.riseTimeEnabled = false;
    Pixel out;
    for (int x = 97; x <= 103; ++x) EXPECT_EQ(p.vertLineAt(100, x, 3, left, line, right, out), x >= 99 && x <= 101);
}
