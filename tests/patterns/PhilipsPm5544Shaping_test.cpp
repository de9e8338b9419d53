#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

// Runs of one colour, laid end to end into a line buffer.
std::vector<Pixel> lineOf(const std::vector<std::pair<Pixel, int>>& runs)
{
    std::vector<Pixel> line;
    for (const auto& run : runs) {
        line.insert(line.end(), static_cast<std::size_t>(run.second), run.first);
    }
    return line;
}

// With four standard coefficients the output starts at buffer position 2.
constexpr int kFirstOutput = 2;

class PM5544Shaping : public testing::Test {
protected:
    void useCard(sampling_e sampling)
    {
        made = makeCard(64, 48, 16, 9, Colour_YCbCr_709, sampling);
        fast.clear();
        made.card->calculateTransition(fast, 15.0, 74.25);
    }

    // Shapes a line buffer, returning the shaped samples indexed by buffer
    // position, and what the shaping printed.
    std::vector<Pixel> shape(const std::vector<Pixel>& line)
    {
        std::vector<Pixel> shaped;
        testing::internal::CaptureStdout();
        made.card->shapeLine(line, fast, shaped);
        printed = testing::internal::GetCapturedStdout();
        std::vector<Pixel> byPosition(kFirstOutput, Pixel());
        byPosition.insert(byPosition.end(), shaped.begin(), shaped.end());
        return byPosition;
    }

    const std::deque<double>& L() { return made.card->lumaTransition; }
    const std::deque<double>& C() { return made.card->chromaTransition; }
    const Pixel& P(int slot) { return made.card->palette[slot]; }

    SetUpCard made;
    std::deque<double> fast;
    std::string printed;
};

TEST_F(PM5544Shaping, OutputDropsTheContextSamplesAtBothEnds)
{
    useCard(Sampling_444);
    std::vector<Pixel> shaped;
    made.card->shapeLine(lineOf({{P(0), 20}}), fast, shaped);
    EXPECT_EQ(shaped.size(), 16u);
}

// ---------------------------------------------------------------------------
// Lone edges: the standard ramp, two samples on each side.

TEST_F(PM5544Shaping, LoneEdgeChangesTwoSamplesEachSide)
{
    useCard(Sampling_444);
    const Pixel& from = P(14);  // yellow 100 %
    const Pixel& to = P(15);    // red 100 %
    std::vector<Pixel> out = shape(lineOf({{from, 8}, {to, 8}}));
    EXPECT_TRUE(samePixel(out[5], from));
    EXPECT_TRUE(samePixel(out[6], to.blend(L()[0], L()[0], from)));
    EXPECT_TRUE(samePixel(out[7], to.blend(L()[1], L()[1], from)));
    EXPECT_TRUE(samePixel(out[8], to.blend(L()[2], L()[2], from)));
    EXPECT_TRUE(samePixel(out[9], to.blend(L()[3], L()[3], from)));
    EXPECT_TRUE(samePixel(out[10], to));
    EXPECT_EQ(printed, "");
}

TEST_F(PM5544Shaping, SubsampledLoneEdgeTakesChromaFromTheStandardTable)
{
    for (sampling_e sampling : {Sampling_422, Sampling_420}) {
        SCOPED_TRACE(sampling);
        useCard(sampling);
        ASSERT_EQ(C().size(), 2u);  // shorter than the four luma coefficients
        const Pixel& from = P(14);
        const Pixel& to = P(15);
        std::vector<Pixel> out = shape(lineOf({{from, 8}, {to, 8}}));
        EXPECT_TRUE(samePixel(out[6], to.blend(L()[0], L()[0], from)));
        EXPECT_TRUE(samePixel(out[7], to.blend(L()[1], L()[1], from)));
        EXPECT_TRUE(samePixel(out[8], to.blend(L()[2], L()[2], from)));
        EXPECT_TRUE(samePixel(out[9], to.blend(L()[3], L()[3], from)));
        EXPECT_EQ(printed, "");
    }
}

TEST_F(PM5544Shaping, LoneEdgeOfTheCardIsShapedOnEverySampling)
{
    // The red bar of the bottom segment starts at dx = -20 on a 576-line card.
    for (sampling_e sampling : {Sampling_444, Sampling_422}) {
        SCOPED_TRACE(sampling);
        SetUpCard sd = makeCard(720, 576, 4, 3, Colour_YCbCr_709, sampling);
        PhilipsPm5544Spec& card = *sd.card;
        const Pixel& yellow = card.palette[14];
        const Pixel& red = card.palette[15];
        const std::deque<double>& l = card.lumaTransition;
        const int y = 288 + 200;
        EXPECT_TRUE(samePixel(card.body(360 - 23, y), yellow));
        EXPECT_TRUE(samePixel(card.body(360 - 22, y), red.blend(l[0], l[0], yellow)));
        EXPECT_TRUE(samePixel(card.body(360 - 21, y), red.blend(l[1], l[1], yellow)));
        EXPECT_TRUE(samePixel(card.body(360 - 20, y), red.blend(l[2], l[2], yellow)));
        EXPECT_TRUE(samePixel(card.body(360 - 19, y), red.blend(l[3], l[3], yellow)));
        EXPECT_TRUE(samePixel(card.body(360 - 18, y), red));
        EXPECT_EQ(sd.printed.find("Error"), std::string::npos);
    }
}

// ---------------------------------------------------------------------------
// Narrow features: the fast ramp where changes lie on both sides.

TEST_F(PM5544Shaping, TwoSampleLineTakesTheFastRamp)
{
    useCard(Sampling_444);
    const Pixel& black = P(0);
    const Pixel& white = P(7);
    std::vector<Pixel> out = shape(lineOf({{black, 8}, {white, 2}, {black, 8}}));
    EXPECT_TRUE(samePixel(out[5], black));
    EXPECT_TRUE(samePixel(out[6], white.blend(L()[0], L()[0], black)));
    EXPECT_TRUE(samePixel(out[7], white.blend(L()[1], L()[1], black)));
    EXPECT_TRUE(samePixel(out[8], white.blend(fast[1], fast[1], black)));
    EXPECT_TRUE(samePixel(out[9], black.blend(fast[0], fast[0], white)));
    EXPECT_TRUE(samePixel(out[10], black.blend(L()[2], L()[2], white)));
    EXPECT_TRUE(samePixel(out[11], black.blend(L()[3], L()[3], white)));
    EXPECT_TRUE(samePixel(out[12], black));
}

TEST_F(PM5544Shaping, CentreCrossOfTheCardIsATwoSampleLine)
{
    SetUpCard sd = makeCard(720, 576, 4, 3);
    PhilipsPm5544Spec& card = *sd.card;
    std::deque<double> f;
    card.calculateTransition(f, 15.0, 74.25);
    const Pixel& black = card.palette[0];
    const Pixel& white = card.palette[7];
    const std::deque<double>& l = card.lumaTransition;
    const int y = 288 + 5;
    EXPECT_TRUE(samePixel(card.body(360 - 4, y), black));
    EXPECT_TRUE(samePixel(card.body(360 - 3, y), white.blend(l[0], l[0], black)));
    EXPECT_TRUE(samePixel(card.body(360 - 2, y), white.blend(l[1], l[1], black)));
    EXPECT_TRUE(samePixel(card.body(360 - 1, y), white.blend(f[1], f[1], black)));
    EXPECT_TRUE(samePixel(card.body(360 + 0, y), black.blend(f[0], f[0], white)));
    EXPECT_TRUE(samePixel(card.body(360 + 1, y), black.blend(l[2], l[2], white)));
    EXPECT_TRUE(samePixel(card.body(360 + 2, y), black.blend(l[3], l[3], white)));
    EXPECT_TRUE(samePixel(card.body(360 + 3, y), black));
}

TEST_F(PM5544Shaping, ThreeSampleLineKeepsItsCentre)
{
    useCard(Sampling_444);
    const Pixel& black = P(0);
    const Pixel& white = P(7);
    std::vector<Pixel> out = shape(lineOf({{black, 8}, {white, 3}, {black, 8}}));
    EXPECT_TRUE(samePixel(out[7], white.blend(L()[1], L()[1], black)));
    EXPECT_TRUE(samePixel(out[8], white.blend(fast[1], fast[1], black)));
    EXPECT_TRUE(samePixel(out[9], white));
    EXPECT_TRUE(samePixel(out[10], black.blend(fast[0], fast[0], white)));
    EXPECT_TRUE(samePixel(out[11], black.blend(L()[2], L()[2], white)));
}

TEST_F(PM5544Shaping, FullChromaNarrowFeatureReadsChromaFromTheStandardTable)
{
    // On 4:4:4 the chroma table is the standard one whichever luma table a
    // sample takes, read at the same index as the fast luma coefficient.
    useCard(Sampling_444);
    const Pixel& red = P(15);
    const Pixel& yellow = P(14);
    std::vector<Pixel> out = shape(lineOf({{red, 8}, {yellow, 2}, {red, 8}}));
    EXPECT_TRUE(samePixel(out[8], yellow.blend(fast[1], L()[1], red)));
    EXPECT_TRUE(samePixel(out[9], red.blend(fast[0], L()[0], yellow)));
}

TEST_F(PM5544Shaping, SubsampledNarrowFeatureKeepsTheTwoCoefficientChromaTable)
{
    useCard(Sampling_422);
    const Pixel& red = P(15);
    const Pixel& yellow = P(14);
    std::vector<Pixel> out = shape(lineOf({{red, 8}, {yellow, 2}, {red, 8}}));
    EXPECT_TRUE(samePixel(out[8], yellow.blend(fast[1], C()[1], red)));
    EXPECT_TRUE(samePixel(out[9], red.blend(fast[0], C()[0], yellow)));
    EXPECT_FALSE(samePixel(out[8], yellow.blend(fast[1], fast[1], red)));
    EXPECT_EQ(printed, "");
}

// ---------------------------------------------------------------------------
// Samples left as they are.

TEST_F(PM5544Shaping, IsolatedSampleIsUnchangedButItsNeighboursRamp)
{
    useCard(Sampling_444);
    const Pixel& black = P(0);
    const Pixel& white = P(7);
    std::vector<Pixel> out = shape(lineOf({{black, 8}, {white, 1}, {black, 8}}));
    EXPECT_TRUE(samePixel(out[8], white));
    EXPECT_TRUE(samePixel(out[7], white.blend(L()[1], L()[1], black)));
    EXPECT_TRUE(samePixel(out[9], black.blend(L()[2], L()[2], white)));
}

TEST_F(PM5544Shaping, SameCodesOnOtherAxesAreAChange)
{
    useCard(Sampling_444);
    const Pixel grey(2008, 2048, 2048, Colour_YCbCr_709, 12);
    const Pixel sameCodes(2008, 2048, 2048, Colour_YCbCr_2020, 12);
    std::vector<Pixel> out = shape(lineOf({{grey, 8}, {sameCodes, 8}}));
    EXPECT_FALSE(samePixel(out[7], grey));
    EXPECT_TRUE(samePixel(out[5], grey));
}

TEST_F(PM5544Shaping, EmptyLumaTableIsReportedAndLeavesEdgesHard)
{
    useCard(Sampling_444);
    made.card->lumaTransition.clear();
    const Pixel& black = P(0);
    const Pixel& white = P(7);
    std::vector<Pixel> out = shape(lineOf({{black, 8}, {white, 8}}));
    for (int i = 5; i <= 10; ++i) {
        EXPECT_TRUE(samePixel(out[i], i < 8 ? black : white)) << i;
    }
    std::string expected;
    for (int i = 0; i < 4; ++i) {
        expected += "Error transition size problem - luma size=0 chroma size=0\n";
    }
    EXPECT_EQ(printed, expected);
}

TEST_F(PM5544Shaping, EmptyLumaTableOnSubsampledCanvasNamesTheChromaTable)
{
    useCard(Sampling_422);
    made.card->lumaTransition.clear();
    shape(lineOf({{P(0), 8}, {P(7), 8}}));
    EXPECT_NE(printed.find("Error transition size problem - luma size=0 chroma size=2\n"), std::string::npos);
}

}  // namespace
