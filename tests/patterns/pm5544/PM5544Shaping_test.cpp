#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "PM5544CardFixture.h"
#include "support/Capture.h"

using namespace PatternGen;

namespace {

constexpr int black = 0, white = 7, yellow = 14, red = 15;

// Shapes a buffer made of runs of one colour with the fast 15 ns table, keeping
// what it printed. The result is indexed by buffer position: the two context
// samples at each end are not output.
std::vector<Pixel> shape(SetUpCard& made, const std::vector<std::pair<int, int>>& runs)
{
    std::vector<Pixel> line, shaped(2);
    for (const auto& run : runs) {
        line.insert(line.end(), static_cast<std::size_t>(run.second), made.card->palette[run.first]);
    }
    made.printed = stdoutOf([&] { made.card->shapeLine(line, {0.226918, 0.773082}, shaped); });
    EXPECT_EQ(shaped.size(), line.size() - 2);
    return shaped;
}

struct ShapeCase {
    sampling_e sampling;
    int line, position, to, from;
    double luma, chroma;  // weights of `to` blended over `from`; luma 0: `to` unchanged, chroma 0: as luma
};

TEST(PM5544Shaping, RampsFollowTheDistanceToTheNextChange)
{
    const std::vector<std::pair<int, int>> lines[] = {
        {{yellow, 8}, {red, 8}},               // a lone edge between wide areas
        {{black, 8}, {white, 2}, {black, 8}},  // a two-sample line
        {{red, 8}, {yellow, 2}, {red, 8}},     // the same in colour
        {{black, 8}, {white, 1}, {black, 8}},  // a one-sample line
        {{black, 8}, {white, 4}, {black, 8}},  // a line as wide as the standard ramp
    };
    // The standard (25 ns), fast (15 ns) and subsampled chroma ramps.
    constexpr double s0 = 0.068797, s1 = 0.330117, s2 = 0.669883, s3 = 0.931203;
    constexpr double f0 = 0.226918, f1 = 0.773082, c0 = 0.180447, c1 = 0.819553;
    const sampling_e s444 = Sampling_444, s422 = Sampling_422, s420 = Sampling_420;
    const ShapeCase cases[] = {
        // A lone edge changes two samples on each side; subsampled canvases shape its chroma alike.
        {s444, 0, 5, yellow, 0, 0, 0},
        {s444, 0, 6, red, yellow, s0, 0},
        {s444, 0, 7, red, yellow, s1, 0},
        {s444, 0, 8, red, yellow, s2, 0},
        {s444, 0, 9, red, yellow, s3, 0},
        {s444, 0, 10, red, 0, 0, 0},
        {s422, 0, 6, red, yellow, s0, 0},
        {s422, 0, 9, red, yellow, s3, 0},
        {s420, 0, 7, red, yellow, s1, 0},
        // A two-sample line takes the fast ramp, its surround the standard one.
        {s444, 1, 6, white, black, s0, 0},
        {s444, 1, 7, white, black, s1, 0},
        {s444, 1, 8, white, black, f1, s1},
        {s444, 1, 9, black, white, f0, s0},
        {s444, 1, 10, black, white, s2, 0},
        {s444, 1, 11, black, white, s3, 0},
        // Its chroma takes the standard table's weight on 4:4:4, the 2-step chroma table's otherwise.
        {s444, 2, 8, yellow, red, f1, s1},
        {s444, 2, 9, red, yellow, f0, s0},
        {s422, 2, 8, yellow, red, f1, c1},
        {s422, 2, 9, red, yellow, f0, c0},
        // A one-sample line keeps its level; a change up to four samples away on the
        // far side still calls for the fast ramp, which reaches one sample only.
        {s444, 3, 8, white, 0, 0, 0},
        {s444, 4, 8, white, black, f1, s1},
        {s444, 4, 9, white, 0, 0, 0},
        {s444, 4, 11, black, white, f0, s0},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "sampling " << c.sampling << " line " << c.line << " at " << c.position);
        SetUpCard made = makeCard(64, 48, 16, 9, Colour_YCbCr_709, c.sampling);
        const Pixel* P = made.card->palette;
        const Pixel expected = c.luma == 0 ? P[c.to] : P[c.to].blend(c.luma, c.chroma ? c.chroma : c.luma, P[c.from]);
        EXPECT_TRUE(samePixel(shape(made, lines[c.line])[c.position], expected));
        EXPECT_EQ(made.printed, "");
    }
}

TEST(PM5544Shaping, EmptyLumaTableIsReportedAndLeavesEdgesHard)
{
    SetUpCard made = makeCard(64, 48, 16, 9, Colour_YCbCr_709, Sampling_422);
    made.card->lumaTransition.clear();
    const std::vector<Pixel> out = shape(made, {{black, 8}, {white, 8}});
    EXPECT_TRUE(samePixel(out[7], made.card->palette[black]) && samePixel(out[8], made.card->palette[white]));
    const std::string line = "Error transition size problem - luma size=0 chroma size=2\n";
    EXPECT_EQ(made.printed, line + line + line + line);
}

TEST(PM5544CardShaping, FrameEdgesAreShapedWithoutMessagesOnEverySampling)
{
    for (sampling_e sampling : {Sampling_444, Sampling_422, Sampling_420}) {
        SetUpCard made = makeCard(720, 576, 4, 3, Colour_YCbCr_709, sampling);
        const Pixel* P = made.card->palette;
        // The red bar of the bottom segment starts at dx = -20, a lone edge; the
        // centre cross, two samples wide on black, takes the fast ramp.
        EXPECT_TRUE(samePixel(made.card->body(339, 488), P[red].blend(0.330117, 0.330117, P[yellow]))) << sampling;
        EXPECT_TRUE(samePixel(made.card->body(359, 293), P[white].blend(0.773082, 0.773082, P[black]))) << sampling;
        EXPECT_EQ(made.printed.find("Error"), std::string::npos);
    }
}

}  // namespace
