#include "tools/rounding.h"

#include <gtest/gtest.h>

// ---- generic rounding ----

TEST(RoundingRoundTo, HalfRoundsUp)
{
    EXPECT_EQ(Rounding::roundTo(6, 0x101F), 0x1000);
    EXPECT_EQ(Rounding::roundTo(6, 0x1020), 0x1040);
    EXPECT_EQ(Rounding::roundTo(8, 0x017F), 0x0100);
    EXPECT_EQ(Rounding::roundTo(8, 0x0180), 0x0200);
    EXPECT_EQ(Rounding::roundTo(1, 3), 4);
}

TEST(RoundingRoundTo, SaturatesBelow65536)
{
    EXPECT_EQ(Rounding::roundTo(6, 0xFFFF), 0xFFC0);
    EXPECT_EQ(Rounding::roundTo(8, 0xFF80), 0xFF00);
    EXPECT_EQ(Rounding::roundTo(4, 0xFFF8), 0xFFF0);
    EXPECT_EQ(Rounding::roundTo(8, 0xFF7F), 0xFF00);
}

TEST(RoundingRoundTo, DroppingNoBitsKeepsEveryValue)
{
    for (unsigned int v = 0; v <= 0xFFFF; ++v) {
        ASSERT_EQ(Rounding::roundTo(0, v), static_cast<int>(v)) << v;
    }
}

TEST(RoundingRoundTo, NegativeArgumentsSaturate)
{
    EXPECT_EQ(Rounding::roundTo(6, static_cast<unsigned int>(-100)), 0xFFC0);
    EXPECT_EQ(Rounding::roundTo(6, static_cast<unsigned int>(-1)), 0xFFC0);
    EXPECT_EQ(Rounding::roundTo(0, static_cast<unsigned int>(-1)), 0xFFFF);
}

TEST(RoundingRoundTo, ResultsAreMultiplesOfTheStep)
{
    for (int k = 0; k <= 15; ++k) {
        for (unsigned int v = 0; v <= 0xFFFF; v += 97) {
            const int r = Rounding::roundTo(k, v);
            ASSERT_EQ(r & ((1 << k) - 1), 0) << k << " " << v;
            ASSERT_LE(r, 0xFFFF);
        }
    }
}

// ---- luma rounding ----

TEST(RoundingRoundLumaTo, ClampsBelowTheReservedTopCodes)
{
    EXPECT_EQ(Rounding::roundLumaTo(16, 6, 0xFFFF), 0xFEC0);
    EXPECT_EQ(Rounding::roundLumaTo(16, 8, 0xFE7F), 0xFE00);
    EXPECT_EQ(Rounding::roundLumaTo(16, 4, 0xFFF0), 0xFEF0);
    EXPECT_EQ(Rounding::roundLumaTo(16, 0, 0xFF00), 0xFEFF);
}

TEST(RoundingRoundLumaTo, HasNoLowerClamp)
{
    EXPECT_EQ(Rounding::roundLumaTo(16, 8, 0x0010), 0);
    EXPECT_EQ(Rounding::roundLumaTo(16, 6, 0x001F), 0);
    EXPECT_EQ(Rounding::roundLumaTo(16, 6, 0x0020), 0x40);
}

TEST(RoundingRoundLumaTo, JustBelowTheLimitRoundsNormally)
{
    EXPECT_EQ(Rounding::roundLumaTo(16, 8, 0xFD7F), 0xFD00);
    EXPECT_EQ(Rounding::roundLumaTo(16, 8, 0xFD80), 0xFE00);  // reaches the limit exactly
    EXPECT_EQ(Rounding::roundLumaTo(10, 6, 0xFEA0), 0xFEC0);  // depth plays no part
}

TEST(RoundingRoundLumaTo, NegativeArgumentsGoToTheLimit)
{
    EXPECT_EQ(Rounding::roundLumaTo(16, 6, static_cast<unsigned int>(-1)), 0xFEC0);
}

// ---- chroma rounding ----

TEST(RoundingRoundChromaTo, AboveMidRoundsHalfUp)
{
    EXPECT_EQ(Rounding::roundChromaTo(16, 6, 0x8020), 0x8040);
    EXPECT_EQ(Rounding::roundChromaTo(16, 6, 0x801F), 0x8000);
    EXPECT_EQ(Rounding::roundChromaTo(16, 6, 0x8000), 0x8000);
}

TEST(RoundingRoundChromaTo, BelowMidTruncates)
{
    EXPECT_EQ(Rounding::roundChromaTo(16, 6, 0x7FFF), 0x7FC0);
    EXPECT_EQ(Rounding::roundChromaTo(16, 6, 0x7FF0), 0x7FC0);
    EXPECT_EQ(Rounding::roundChromaTo(16, 8, 0x00FF), 0);
}

TEST(RoundingRoundChromaTo, MidPointFollowsTheDepth)
{
    EXPECT_EQ(Rounding::roundChromaTo(12, 4, 2056), 2064);
    EXPECT_EQ(Rounding::roundChromaTo(12, 4, 2055), 2048);
    EXPECT_EQ(Rounding::roundChromaTo(12, 4, 2040), 2032);
    EXPECT_EQ(Rounding::roundChromaTo(12, 2, 2047), 2044);  // just below 12-bit mid: truncated
    EXPECT_EQ(Rounding::roundChromaTo(12, 2, 2050), 2052);
}

TEST(RoundingRoundChromaTo, FullRangeTopSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(Rounding::roundChromaTo(16, 6, 0xFFFF), 0xFFC0);
    EXPECT_EQ(Rounding::roundChromaTo(16, 8, 0xFF80), 0xFF00);
    EXPECT_EQ(Rounding::roundChromaTo(16, 8, 0xFF7F), 0xFF00);
}
