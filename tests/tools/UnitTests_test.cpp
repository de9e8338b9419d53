#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Capture.h"
#include "tools/UnitTests.h"

using namespace PatternGen;

namespace {

std::string runSelfTest(colorAxes_e axes)
{
    return stdoutOf([&] { EXPECT_EQ(UnitTests::runUnitTests(720, 576, 4, 3, axes), 1); });
}

}  // namespace

TEST(SelfTest, HeaderHeadingsInOrderAndEnding)
{
    const std::string out = runSelfTest(Colour_YCbCr_709);
    EXPECT_EQ(out.rfind("Width x Height: 720x576\nAspect: 4:3\nPixel aspect: 1:0.938\n\nCheck 75% scaling\n", 0), 0u);
    EXPECT_EQ(runSelfTest(Colour_YCbCr_SLog3_Live_Mapped), out);  // the axes change nothing
    // Each part is found after the previous one.
    const std::vector<std::string> parts = {
        "  Yellow75  Cb  705   +1\t\n",                                  // 2048 + (75 x -1792 + 50) / 100
        "\nCheck 8 bit truncation\n", "  Yellow75_8  Cr  135   -1\t\n",  // 2171 >> 4
        "\nCheck 8 bit rounding\n  Green75_8 ", "\nCheck 10 bit rounding\n", "\nCheck 75% 10 bit rounding\n",
        "  Grey 40%% 709_10    Y  415   +1\t\n",  // label as it stands
        "\nCheck 2020 75% 10 bit rounding\n", "\nCheck RGB - YCbCr Maths\n", "\n\n  White 601   ", "  Blue 601    ",
        "\nCheck RGB - YCbCr - RGB Maths\n", "\nCheck YCbCr - RGB headroom Maths\n",
        // Yellow starts from the 601 reference (3360, 256, 2336), not the computed 601 yellow.
        "  Yellow RGB_studio  Y 3762   +2\tCb  255   -1\tCr 3755   -5\t\n",
        "\nCheck red and blue YCbCr - RGB-219 - and back\n", "\nCheck I and Q vectors YCbCr - RGB-219 - and back\n",
        "\nCheck I and Q vectors YCbCr - RGB - and back\n",
        // 10-bit (243 - 64) / 876 x 1023 = 209 against 4095 scaled to 3890.
        "\nCheck 95% white rgb 219 - full RGB\n  White 95%  Y  209 -3681\tCb  209 -3681\tCr  208 -3682\t\n",
        "\nCheck 709 YCbCr - HLG 2020\n  White HLG   Y  616 +114\t\n",  // 10-bit result, 10-bit reference
        "\nCheck 709 YCbCr - PQ 2020\n  White PQ   Y  509 -1527\tCb  512 -1536\tCr  512 -1536\t\n",
        // Magenta decodes to R'G'B' (1, 0, 1): 64 + 876 x 0.322 x 0.508078 = 207.3.
        "  Magenta PQ Y  207 -1256\t", "  Black PQ   ", "\nCheck Ref PQ 12bits - 10 bits rounded\n",
        // 3071 >> 2 = 767: 420 + 261.5 log10((0.9 x 767 / 1023 + 0.01) / 0.19) = 565.6.
        "\nCheck SLog3\n  White SLog3   Y  566  +14\t\n", "  Cyan RSLog3    ",
        // The last row (1638 >> 2 = 409 gives S-Log3 495.6), then puts("\n").
        "  Grey 40% SLog3   Y  496  +86\t\n\n\n"};
    size_t from = 0;
    for (const std::string& part : parts) {
        const size_t at = out.find(part, from);
        ASSERT_NE(at, std::string::npos) << part;
        from = at + part.size();
    }
    EXPECT_EQ(from, out.size());
}
