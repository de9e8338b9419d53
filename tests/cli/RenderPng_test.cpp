// Whole runs of the program, checked from the PNG files they write.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/PngReader.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "tools/ColourAxes.h"
#include "tools/ColourKeywords.h"

namespace {

// PNG channels of a Y'CbCr canvas: Cr in red, Y in green, Cb in blue.
enum Channel { CrOrR = 0, YOrG = 1, CbOrB = 2, Alpha = 3 };

struct Code {
    int y;
    int cb;
    int cr;
};

// The card rendered with `options`, decoded; a test stops here when there is none.
void render(const std::vector<std::string>& options, PngImage& image)
{
    const std::string dir = testTempDir();
    std::vector<std::string> args = options;
    args.push_back("card.png");
    ProgramRun run = runProgram(args, dir);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    image = readPng(dir + "/card.png");
    ASSERT_TRUE(image.ok);
}

// A 10-bit code stored left-aligned in 16 bits.
uint16_t at10(int code)
{
    return static_cast<uint16_t>(code << 6);
}

void expectYCbCr10(const PngImage& image, int x, int y, Code expected, const char* what)
{
    EXPECT_EQ(image.at(x, y, YOrG), at10(expected.y)) << what << " Y at " << x << "," << y;
    EXPECT_EQ(image.at(x, y, CbOrB), at10(expected.cb)) << what << " Cb at " << x << "," << y;
    EXPECT_EQ(image.at(x, y, CrOrR), at10(expected.cr)) << what << " Cr at " << x << "," << y;
}

}  // namespace

// 1920x1080 Rec. 709, 10 bits, 4:2:2: flat areas of the card carry exactly the
// 10-bit palette codes. Places are worked out from the card's proportions:
// centre (960, 540); colour bars on line 390, 945 samples wide from x = 488;
// grey scale on line 776, 888 samples wide from x = 516.
TEST(RenderHd709Ten422, FlatAreasHoldThePaletteCodes)
{
    PngImage image;
    ASSERT_NO_FATAL_FAILURE(render({"-d", "1920x1080", "-c", "709", "-b", "10", "-s", "422"}, image));
    ASSERT_EQ(image.width, 1920u);
    ASSERT_EQ(image.height, 1080u);
    ASSERT_EQ(image.bitDepth, 16);
    ASSERT_EQ(image.channels, 4);

    expectYCbCr10(image, 723, 50, {502, 512, 512}, "grid background");
    expectYCbCr10(image, 960, 540, {940, 512, 512}, "centre cross");
    expectYCbCr10(image, 700, 540, {940, 512, 512}, "centre line");

    const int barCentres[] = {566, 724, 881, 1039, 1196, 1354};
    const Code bars[] = {{674, 176, 543}, {581, 589, 176}, {534, 253, 207},
                         {251, 771, 817}, {204, 435, 848}, {111, 848, 481}};
    for (int k = 0; k < 6; ++k) expectYCbCr10(image, barCentres[k], 390, bars[k], "colour bar");

    const int stepCentres[] = {590, 738, 886, 1034, 1182, 1330};
    const int steps[] = {64, 239, 414, 602, 765, 940};
    for (int k = 0; k < 6; ++k) expectYCbCr10(image, stepCentres[k], 776, {steps[k], 512, 512}, "grey step");

    expectYCbCr10(image, 760, 940, {877, 64, 553}, "bottom segment yellow");
    expectYCbCr10(image, 961, 940, {250, 409, 960}, "red bar in the bottom segment");

    // Alpha is rounded like luma, so it stops at the top legal code.
    EXPECT_EQ(image.at(723, 50, Alpha), at10(1019));
}

TEST(RenderChroma, OddSamplesRepeatTheChromaOfTheEvenSampleBefore)
{
    for (const char* sampling : {"422", "420"}) {
        PngImage image;
        ASSERT_NO_FATAL_FAILURE(render({"-d", "128x72", "-c", "709", "-b", "10", "-s", sampling}, image));
        for (uint32_t y = 0; y < image.height; ++y) {
            for (uint32_t x = 1; x < image.width; x += 2) {
                ASSERT_EQ(image.at(x, y, CrOrR), image.at(x - 1, y, CrOrR)) << sampling << " " << x << "," << y;
                ASSERT_EQ(image.at(x, y, CbOrB), image.at(x - 1, y, CbOrB)) << sampling << " " << x << "," << y;
            }
        }
        if (std::string(sampling) == "420") {
            for (uint32_t y = 1; y < image.height; y += 2) {
                for (uint32_t x = 0; x < image.width; ++x) {
                    ASSERT_EQ(image.at(x, y, CrOrR), image.at(x, y - 1, CrOrR)) << x << "," << y;
                    ASSERT_EQ(image.at(x, y, CbOrB), image.at(x, y - 1, CbOrB)) << x << "," << y;
                }
            }
        }
    }
}

TEST(RenderRgb, FullRangeGreyAndEightBitRounding)
{
    // The grid background is 50 % grey: 2008 on the 219-step range, 2048 in full range.
    PngImage image;
    ASSERT_NO_FATAL_FAILURE(render({"-d", "1920x1080"}, image));
    ASSERT_EQ(image.width, 1920u);
    ASSERT_EQ(image.height, 1080u);
    EXPECT_EQ(image.at(723, 50, CrOrR), 2048 << 4);
    EXPECT_EQ(image.at(723, 50, YOrG), 2048 << 4);
    EXPECT_EQ(image.at(723, 50, CbOrB), 2048 << 4);
    EXPECT_EQ(image.at(960, 540, YOrG), 4095 << 4);

    // At 8 bits every sample keeps only its top eight bits.
    ASSERT_NO_FATAL_FAILURE(render({"-d", "128x72", "-b", "8"}, image));
    for (uint16_t sample : image.samples) ASSERT_EQ(sample & 0xFF, 0) << sample;
}

TEST(RenderEveryColourSpace, WritesACompleteImage)
{
    for (std::size_t i = 0; i < ColourKeywords::kCount; ++i) {
        const char* space = ColourKeywords::kTable[i].text;
        PngImage image;
        ASSERT_NO_FATAL_FAILURE(render({"-d", "96x54", "-c", space, "-b", "10", "-s", "422"}, image));
        ASSERT_EQ(image.width, 96u) << space;
        ASSERT_EQ(image.height, 54u) << space;
        // The centre cross is white: the highest luma of the card in every Y'CbCr and
        // SDR space. (In the R'G'B' HDR spaces a saturated colour may carry more green.)
        const uint16_t centre = image.at(48, 27, YOrG);
        uint16_t low = 0xFFFF;
        uint16_t high = 0;
        for (uint32_t y = 0; y < image.height; ++y) {
            for (uint32_t x = 0; x < image.width; ++x) {
                low = std::min(low, image.at(x, y, YOrG));
                high = std::max(high, image.at(x, y, YOrG));
            }
        }
        const PatternGen::colorAxes_e axes = ColourKeywords::kTable[i].axes;
        if (!ColourAxes::isHdrRgb(axes)) {
            EXPECT_EQ(centre, high) << space;
        }
        EXPECT_LT(low, centre) << space;
    }
}
