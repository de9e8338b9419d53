#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/UnitTests.h"

using namespace PatternGen;

namespace {

struct SelfTestRun {
    int result;
    std::string out;
};

SelfTestRun runSelfTest(int width, int height, int aspectWidth, int aspectHeight, colorAxes_e axes) {
    testing::internal::CaptureStdout();
    int result = UnitTests::runUnitTests(width, height, aspectWidth, aspectHeight, axes);
    return {result, testing::internal::GetCapturedStdout()};
}

// The whole output is the same on every run, so it is captured once.
const SelfTestRun& standardRun() {
    static const SelfTestRun run = runSelfTest(720, 576, 4, 3, Colour_YCbCr_709);
    return run;
}

// The text of one section: from its heading up to the next "\nCheck".
std::string section(const std::string& heading) {
    const std::string& out = standardRun().out;
    size_t start = out.find(heading);
    if (start == std::string::npos) {
        return "";
    }
    size_t end = out.find("\nCheck", start + heading.size());
    return out.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

// ---- Frame lines and result -------------------------------------------------

TEST(SelfTestHeader, PalFrameGivesPixelAspectBelowOne) {
    EXPECT_EQ(standardRun().out.rfind("Width x Height: 720x576\nAspect: 4:3\nPixel aspect: 1:0.938\n\nCheck 75% scaling\n", 0),
              0u);
}

TEST(SelfTestHeader, SquarePixels) {
    SelfTestRun run = runSelfTest(1920, 1080, 16, 9, Colour_RGB);
    EXPECT_EQ(run.out.rfind("Width x Height: 1920x1080\nAspect: 16:9\nPixel aspect: 1:1.000\n", 0), 0u);
}

TEST(SelfTestResult, AlwaysOneAndAxesDoNotChangeTheChecks) {
    EXPECT_EQ(standardRun().result, 1);
    SelfTestRun other = runSelfTest(720, 576, 4, 3, Colour_YCbCr_SLog3_Live_Mapped);
    EXPECT_EQ(other.result, 1);
    EXPECT_EQ(other.out, standardRun().out);
}

// ---- Layout ---------------------------------------------------------------

TEST(SelfTestLayout, HeadingsInOrder) {
    const std::vector<std::string> headings = {
        "\nCheck 75% scaling\n",
        "\nCheck 8 bit truncation\n",
        "\nCheck 8 bit rounding\n",
        "\nCheck 10 bit rounding\n",
        "\nCheck 75% 10 bit rounding\n",
        "\nCheck 2020 75% 10 bit rounding\n",
        "\nCheck RGB - YCbCr Maths\n",
        "\nCheck RGB - YCbCr - RGB Maths\n",
        "\nCheck YCbCr - RGB headroom Maths\n",
        "\nCheck red and blue YCbCr - RGB-219 - and back\n",
        "\nCheck I and Q vectors YCbCr - RGB-219 - and back\n",
        "\nCheck I and Q vectors YCbCr - RGB - and back\n",
        "\nCheck 95% white rgb 219 - full RGB\n",
        "\nCheck 709 YCbCr - HLG 2020\n",
        "\nCheck 709 YCbCr - PQ 2020\n",
        "\nCheck Ref PQ 12bits - 10 bits rounded\n",
        "\nCheck SLog3\n",
    };
    const std::string& out = standardRun().out;
    size_t from = 0;
    for (const std::string& heading : headings) {
        size_t at = out.find(heading, from);
        ASSERT_NE(at, std::string::npos) << heading;
        from = at + heading.size();
    }
}

TEST(SelfTestLayout, Rec601RowsFollowABlankLine) {
    std::string maths = section("\nCheck RGB - YCbCr Maths\n");
    size_t blank = maths.find("\n\n  White 601");
    ASSERT_NE(blank, std::string::npos);
    EXPECT_EQ(maths.find(" 709 ", blank), std::string::npos);
}

TEST(SelfTestLayout, EndsWithTwoBlankLines) {
    const std::string& out = standardRun().out;
    const std::string tail = "  Grey 40% SLog3   Y  496  +86\t\n\n\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

// ---- Rows with known differences -----------------------------------------

TEST(SelfTestRows, IntegerScalingRoundsNegativeChromaTowardTheMidPoint) {
    // 2048 + (75 * -1792 + 50) / 100 is 705, one above the reference.
    EXPECT_NE(section("\nCheck 75% scaling\n").find("  Yellow75  Cb  705   +1\t\n"), std::string::npos);
}

TEST(SelfTestRows, TruncationDropsTheHalfStep) {
    // Red 2171 >> 4 is 135; rounding gives the reference 136.
    EXPECT_NE(section("\nCheck 8 bit truncation\n").find("  Yellow75_8  Cr  135   -1\t\n"), std::string::npos);
    EXPECT_EQ(section("\nCheck 8 bit rounding\n").find("Yellow75_8"), std::string::npos);
}

TEST(SelfTestRows, ChromaBelowMidPointIsTruncated) {
    // Cb 256 >> 2 is 64; the reference has 63.
    EXPECT_NE(section("\nCheck 10 bit rounding\n").find("  Yellow_709_10  Cb   64   +1\t\n"), std::string::npos);
}

TEST(SelfTestRows, LabelWithDoublePercentIsPrintedAsItStands) {
    EXPECT_NE(section("\nCheck 75% 10 bit rounding\n").find("  Grey 40%% 709_10    Y  415   +1\t\n"),
              std::string::npos);
}

TEST(SelfTestRows, Rec601LumaUsesItsOwnWeights) {
    // Cyan: 256 + round(3504 * (0.587 + 0.114)) = 2712, against 2704.
    EXPECT_NE(section("\nCheck RGB - YCbCr Maths\n").find("  Cyan 601    Y 2712   +8\t"), std::string::npos);
}

TEST(SelfTestRows, ExactRowsArePrintedSilently) {
    EXPECT_EQ(section("\nCheck 75% scaling\n").find("White75"), std::string::npos);
    EXPECT_EQ(section("\nCheck RGB - YCbCr Maths\n").find("White 709"), std::string::npos);
    EXPECT_EQ(section("\nCheck RGB - YCbCr Maths\n").find("Black 709"), std::string::npos);
    EXPECT_EQ(section("\nCheck YCbCr - RGB headroom Maths\n").find("White RGB_studio"), std::string::npos);
}

TEST(SelfTestRows, NinetyFivePercentWhiteAgainstTwelveBitReference) {
    // 10-bit (243 - 64) / 876 of 1023 is 209, against 4095 scaled to 3890.
    EXPECT_NE(section("\nCheck 95% white rgb 219 - full RGB\n")
                  .find("  White 95%  Y  209 -3681\tCb  209 -3681\tCr  208 -3682\t\n"),
              std::string::npos);
}

TEST(SelfTestRows, HdrResultsAreTenBit) {
    EXPECT_NE(section("\nCheck 709 YCbCr - HLG 2020\n").find("  White HLG   Y  616 +114\t\n"), std::string::npos);
    std::string pq = section("\nCheck 709 YCbCr - PQ 2020\n");
    EXPECT_NE(pq.find("  White PQ   Y  509 -1527\tCb  512 -1536\tCr  512 -1536\t\n"), std::string::npos);
    EXPECT_NE(pq.find("  Black PQ   Y   64 -192\tCb  512 -1536\tCr  512 -1536\t\n"), std::string::npos);
}

TEST(SelfTestRows, SLog3FromTenBitReducedRgb) {
    // 3071 >> 2 = 767; 420 + 261.5 log10((0.9 * 767 / 1023 + 0.01) / 0.19) = 565.6.
    EXPECT_NE(section("\nCheck SLog3\n").find("  White SLog3   Y  566  +14\t\n"), std::string::npos);
}
