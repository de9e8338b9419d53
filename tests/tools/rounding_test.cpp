#include "tools/rounding.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    int depth;  // ignored by roundTo
    int k;
    unsigned int value;
    int expected;
};

const unsigned int kMinusOne = static_cast<unsigned int>(-1);

}  // namespace

TEST(Rounding, RoundToRoundsHalfUpAndSaturatesBelow65536)
{
    for (const Case& c : {Case{0, 6, 0x101F, 0x1000},
                          {0, 6, 0x1020, 0x1040},
                          {0, 6, 0xFFFF, 0xFFC0},
                          {0, 4, 0xFFF8, 0xFFF0},
                          {0, 6, kMinusOne, 0xFFC0}})
        EXPECT_EQ(Rounding::roundTo(c.k, c.value), c.expected) << c.value;
    for (unsigned int v = 0; v <= 0xFFFF; ++v) ASSERT_EQ(Rounding::roundTo(0, v), static_cast<int>(v));
}

TEST(Rounding, RoundLumaToStopsBelowTheReservedCodesWithNoLowerClamp)
{
    for (const Case& c : {Case{16, 6, 0xFFFF, 0xFEC0},
                          {16, 8, 0xFE7F, 0xFE00},
                          {16, 8, 0x0010, 0},
                          {10, 6, 0xFEA0, 0xFEC0},
                          {16, 0, 0xFF00, 0xFEFF},
                          {16, 6, kMinusOne, 0xFEC0}})
        EXPECT_EQ(Rounding::roundLumaTo(c.depth, c.k, c.value), c.expected) << c.value;
}

TEST(Rounding, RoundChromaToRoundsUpAboveTheMidPointAndTruncatesBelow)
{
    for (const Case& c : {Case{16, 6, 0x8020, 0x8040},
                          {16, 6, 0x801F, 0x8000},
                          {16, 6, 0x7FFF, 0x7FC0},
                          {12, 4, 2056, 2064},
                          {12, 4, 2055, 2048},
                          {12, 4, 2040, 2032},
                          {16, 6, 0xFFFF, 0xFFC0}})
        EXPECT_EQ(Rounding::roundChromaTo(c.depth, c.k, c.value), c.expected) << c.value;
}
