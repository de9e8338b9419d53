#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

class PM5544Shaping : public testing::Test {
protected:
    void useCard(sampling_e sampling)
    {
        made = makeCard(64, 48, 16, 9, Colour_YCbCr_709, sampling);
        fast.clear();
        made.card->calculateTransition(fast, 15.0, 74.25);
    }

    // Shapes a buffer made of runs of one colour. The result is indexed by
    // buffer position: the two context samples at each end are not output.
    std::vector<Pixel> shape(const std::vector<std::pair<int, int>>& runs)
    {
        std::vector<Pixel> line;
        for (const auto& run : runs) {
            line.insert(line.end(), static_cast<std::size_t>(run.second), P(run.first));
        }
        std::vector<Pixel> shaped(2);
        testing::internal::CaptureStdout();
        made.card->shapeLine(line, fast, shaped);
        printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(shaped.size(), line.size() - 2);
        return shaped;
    }

    const std::deque<double>& L() { return made.card->lumaTransition; }
    const std::deque<double>& C() { return made.card->chromaTransition; }
    const Pixel& P(int slot) { return made.card->palette[slot]; }

    SetUpCard made;
    std::deque<double> fast;
    std::string printed;
};

constexpr int black = 0, white = 7, yellow = 14, red = 15;

// Which weights a shaped sample is expected to carry: `to` blended over
// `from` with the luma and chroma coefficients named, or `to` unchanged.
enum Weights { Unchanged, Standard, Fast, Chroma };

struct ShapeCase {
    sampling_e sampling;
    int line, position, to, from;  // the line is an index into the lines of the test
    Weights luma;
    int lumaIndex;
    Weights chroma;
    int chromaIndex;
};

TEST_F(PM5544Shaping, RampsFollowTheDistanceToTheNextChange)
{
    const std::vector<std::pair<int, int>> lines[] = {
        {{yellow, 8}, {red, 8}},               // a lone edge between wide areas
        {{black, 8}, {white, 2}, {black, 8}},  // a two-sample line
        {{red, 8}, {yellow, 2}, {red, 8}},     // the same in colour
        {{black, 8}, {white, 1}, {black, 8}},  // a one-sample line
        {{black, 8}, {white, 4}, {black, 8}},  // a line as wide as the standard ramp
    };
    const sampling_e s444 = Sampling_444, s422 = Sampling_422, s420 = Sampling_420;
    const ShapeCase cases[] = {
        // A lone edge changes two samples on each side with the standard table; subsampled
        // canvases read their chroma weights from it too.
        {s444, 0, 5, yellow, 0, Unchanged, 0, Unchanged, 0}, {s444, 0, 6, red, yellow, Standard, 0, Standard, 0},
        {s444, 0, 7, red, yellow, Standard, 1, Standard, 1}, {s444, 0, 8, red, yellow, Standard, 2, Standard, 2},
        {s444, 0, 9, red, yellow, Standard, 3, Standard, 3}, {s444, 0, 10, red, 0, Unchanged, 0, Unchanged, 0},
        {s422, 0, 6, red, yellow, Standard, 0, Standard, 0}, {s422, 0, 9, red, yellow, Standard, 3, Standard, 3},
        {s420, 0, 7, red, yellow, Standard, 1, Standard, 1}, {s420, 0, 8, red, yellow, Standard, 2, Standard, 2},
        // A two-sample line takes the fast ramp, its surround the standard one.
        {s444, 1, 5, black, 0, Unchanged, 0, Unchanged, 0},  {s444, 1, 6, white, black, Standard, 0, Standard, 0},
        {s444, 1, 7, white, black, Standard, 1, Standard, 1}, {s444, 1, 8, white, black, Fast, 1, Standard, 1},
        {s444, 1, 9, black, white, Fast, 0, Standard, 0},     {s444, 1, 10, black, white, Standard, 2, Standard, 2},
        {s444, 1, 11, black, white, Standard, 3, Standard, 3}, {s444, 1, 12, black, 0, Unchanged, 0, Unchanged, 0},
        // Its chroma comes from the standard table on 4:4:4, from the chroma table otherwise.
        {s444, 2, 8, yellow, red, Fast, 1, Standard, 1},      {s444, 2, 9, red, yellow, Fast, 0, Standard, 0},
        {s422, 2, 8, yellow, red, Fast, 1, Chroma, 1},        {s422, 2, 9, red, yellow, Fast, 0, Chroma, 0},
        // A one-sample line keeps its level.
        {s444, 3, 7, white, black, Standard, 1, Standard, 1}, {s444, 3, 8, white, 0, Unchanged, 0, Unchanged, 0},
        {s444, 3, 9, black, white, Standard, 2, Standard, 2},
        // Changes up to four samples away on the far side still call for the fast ramp.
        {s444, 4, 8, white, black, Fast, 1, Standard, 1},     {s444, 4, 9, white, 0, Unchanged, 0, Unchanged, 0},
        {s444, 4, 11, black, white, Fast, 0, Standard, 0},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "sampling " << c.sampling << " line " << c.line << " at " << c.position);
        useCard(c.sampling);
        const std::deque<double>* tables[] = {nullptr, &L(), &fast, &C()};
        Pixel expected = P(c.to);
        if (c.luma != Unchanged) {
            expected = expected.blend((*tables[c.luma])[c.lumaIndex], (*tables[c.chroma])[c.chromaIndex], P(c.from));
        }
        EXPECT_TRUE(samePixel(shape(lines[c.line])[c.position], expected));
        EXPECT_EQ(printed, "");
    }
}

TEST_F(PM5544Shaping, SameCodesOnOtherAxesAreAColourChange)
{
    useCard(Sampling_444);
    Pixel& sameCodes = made.card->palette[1];
    sameCodes = P(3);
    sameCodes.axis = Colour_YCbCr_2020;
    std::vector<Pixel> out = shape({{3, 8}, {1, 8}});
    EXPECT_TRUE(samePixel(out[7], sameCodes.blend(L()[1], L()[1], P(3))));
}

TEST_F(PM5544Shaping, EmptyLumaTableIsReportedAndLeavesEdgesHard)
{
    useCard(Sampling_422);
    made.card->lumaTransition.clear();
    std::vector<Pixel> out = shape({{black, 8}, {white, 8}});
    for (int i = 5; i <= 10; ++i) {
        EXPECT_TRUE(samePixel(out[i], P(i < 8 ? black : white))) << i;
    }
    const std::string line = "Error transition size problem - luma size=0 chroma size=2\n";
    EXPECT_EQ(printed, line + line + line + line);
}

TEST(PM5544CardShaping, CardEdgesAreShapedWithoutMessagesOnEverySampling)
{
    for (sampling_e sampling : {Sampling_444, Sampling_422, Sampling_420}) {
        SCOPED_TRACE(sampling);
        SetUpCard sd = makeCard(720, 576, 4, 3, Colour_YCbCr_709, sampling);
        const PhilipsPm5544Spec& card = *sd.card;
        // The red bar of the bottom segment starts at dx = -20 on a 576-line card.
        const Pixel shaped = card.palette[red].blend(card.lumaTransition[1], card.lumaTransition[1],
                                                     card.palette[yellow]);
        EXPECT_TRUE(samePixel(sd.card->body(339, 488), shaped));
        EXPECT_EQ(sd.printed.find("Error"), std::string::npos);
    }
}

}  // namespace
