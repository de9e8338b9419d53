// regionOf against render(): every sample the classification puts in a part
// of the card must have been drawn in that part's colours, the gratings at
// their own frequencies, and every part must turn up on a full-size card.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <vector>

#include "PM5544CardFixture.h"

using namespace PM5544Palette;

namespace {

// The palette slots each part is drawn in; the gratings are checked by their frequency instead.
std::vector<int> slotsOf(CardRegion region)
{
    switch (region) {
    case CardRegion::Border: return {Black, White};
    case CardRegion::GridLines: return {White};
    case CardRegion::Background: return {Grey50};
    case CardRegion::CircleOutline: return {White};
    case CardRegion::UpperBars: return {White, Black};
    case CardRegion::SquareWave: return {Grey75, Black};
    case CardRegion::ColourBars: return {Yellow75, Cyan75, Green75, Magenta75, Red75, Blue75, Black};
    case CardRegion::CentreCross: return {White};
    case CardRegion::CentreLines: return {Black, White};
    case CardRegion::GratingMargin: return {Black, Grey50};
    case CardRegion::GreyScale: return {Black, Grey20, Grey40, Grey60, Grey80, White};
    case CardRegion::LowerBar: return {White, Black};
    case CardRegion::BottomSegment: return {Yellow100, Red100};
    case CardRegion::CornerCircles: return {White, Black, Grey50};
    case CardRegion::LineEnds:
    case CardRegion::Grating1:
    case CardRegion::Grating2:
    case CardRegion::Grating3:
    case CardRegion::Grating4:
    case CardRegion::Grating5: break;
    }
    return {};
}

bool isGrating(CardRegion r)
{
    const int k = static_cast<int>(r) - static_cast<int>(CardRegion::Grating1);
    return k >= 0 && k < kGratingRegionCount;
}

// Same codes: the bars' black margin is the 12-bit black of the bar colours even on a 10-bit card.
bool sameCodes(const Pixel& a, const Pixel& b)
{
    return a.y == b.y && a.cb == b.cb && a.cr == b.cr;
}

struct Canvas {
    int width, height, aspectWidth, aspectHeight;
    PatternGen::colorAxes_e axes;
    int bits;
};

const Canvas kCanvases[] = {
    {720, 576, 4, 3, PatternGen::Colour_YCbCr_709, 12},    {960, 610, 16, 9, PatternGen::Colour_YCbCr_709, 10},
    {1280, 720, 4, 3, PatternGen::Colour_RGB_219, 12},     {1001, 31, 16, 9, PatternGen::Colour_YCbCr_709, 12},
    {1024, 440, 21, 9, PatternGen::Colour_YCbCr_2020, 12},
};

}  // namespace

TEST(PM5544Regions, EverySampleIsDrawnInItsPartsColours)
{
    for (const Canvas& c : kCanvases) {
        SetUpCard made =
            makeCard(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, PatternGen::Sampling_444, c.bits);
        PhilipsPm5544Spec& card = *made.card;
        std::set<CardRegion> seen;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const CardRegion region = card.regionOf(x, y);
                seen.insert(region);
                if (region == CardRegion::LineEnds || isGrating(region)) continue;
                const Pixel drawn = card.render(x, y);
                bool found = false;
                for (int slot : slotsOf(region)) found = found || sameCodes(drawn, card.palette[slot]);
                found = found || (region == CardRegion::ColourBars && sameCodes(drawn, card.colours100[7]));
                ASSERT_TRUE(found) << c.width << "x" << c.height << " " << cardRegionName(region) << " at " << x << ","
                                   << y;
            }
        }
        if (c.height >= 576) {
            EXPECT_EQ(seen.size(), static_cast<size_t>(kCardRegionCount)) << c.width;
        }
    }
}

TEST(PM5544Regions, AWholeLineIsClassifiedAsSampleBySample)
{
    // The circles' runs are found by bisection on the stretched horizontal
    // position: pixels far from square, odd sizes and the corners' circles
    // cut by the frame's edge must all give the same parts.
    const Canvas canvases[] = {
        {720, 576, 4, 3, PatternGen::Colour_YCbCr_709, 10},  {1280, 720, 4, 3, PatternGen::Colour_RGB_219, 10},
        {500, 700, 16, 9, PatternGen::Colour_YCbCr_709, 10}, {1500, 200, 4, 3, PatternGen::Colour_YCbCr_601, 10},
        {333, 1001, 1, 1, PatternGen::Colour_YCbCr_709, 10}, {1001, 31, 16, 9, PatternGen::Colour_YCbCr_709, 12},
    };
    std::vector<CardRegion> line;
    for (const Canvas& c : canvases) {
        SetUpCard made =
            makeCard(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, PatternGen::Sampling_444, c.bits);
        for (int y = 0; y < c.height; ++y) {
            made.card->regionsOfLine(y, line);
            ASSERT_EQ(line.size(), static_cast<size_t>(c.width));
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(line[static_cast<size_t>(x)], made.card->regionOf(x, y))
                    << c.width << "x" << c.height << " at " << x << "," << y;
            }
        }
    }
}

TEST(PM5544Regions, EachGratingRepeatsAtItsOwnFrequency)
{
    SetUpCard made = makeCard(1920, 1080, 16, 9);
    PhilipsPm5544Spec& card = *made.card;
    // A line between the centre strip and the grey scale crosses all five gratings.
    const int y = 540 + 150;
    int previousEnd = -1;
    for (int k = 0; k < kGratingRegionCount; ++k) {
        const CardRegion region = static_cast<CardRegion>(static_cast<int>(CardRegion::Grating1) + k);
        std::vector<int> xs;
        for (int x = 0; x < 1920; ++x) {
            if (card.regionOf(x, y) == region) xs.push_back(x);
        }
        ASSERT_GT(xs.size(), 20u) << k;
        EXPECT_EQ(xs.back() - xs.front() + 1, static_cast<int>(xs.size())) << "grating " << k + 1 << " is one run";
        EXPECT_EQ(xs.front(), previousEnd + 1 > 0 ? previousEnd + 1 : xs.front()) << "gratings follow each other";
        previousEnd = xs.back();

        // Peaks of the luma sine lie one period of the grating's frequency apart.
        const int period = static_cast<int>(card.freqToPixels(card.gratingStartHz + k * card.gratingStepHz));
        std::vector<int> peaks;
        for (size_t i = 1; i + 1 < xs.size(); ++i) {
            const int before = card.render(xs[i] - 1, y).y, here = card.render(xs[i], y).y,
                      after = card.render(xs[i] + 1, y).y;
            if (here >= before && here > after) peaks.push_back(xs[i]);
        }
        ASSERT_GE(peaks.size(), 2u) << k;
        for (size_t i = 1; i < peaks.size(); ++i) EXPECT_EQ(peaks[i] - peaks[i - 1], period) << "grating " << k + 1;
    }
}

TEST(PM5544Regions, OnlyLineEndsAreNotTakenFromRender)
{
    SetUpCard made = makeCard(720, 576, 4, 3);
    PhilipsPm5544Spec& card = *made.card;
    for (int y = 0; y < 576; ++y) {
        for (int x = 2; x < 718; ++x) {
            // Away from any colour change the shaping leaves render()'s sample as it is.
            bool quiet = true;
            for (int i = x - 2; i <= x + 2; ++i) {
                quiet = quiet && card.regionOf(i, y) != CardRegion::LineEnds &&
                        samePixel(card.render(i, y), card.render(x, y));
            }
            if (quiet) {
                ASSERT_TRUE(samePixel(card.body(x, y), card.render(x, y))) << x << "," << y;
            }
        }
        // The line ends are black ramped toward the card: darker than the card next to them when that is white.
        for (int x : {0, 1, 718, 719}) {
            ASSERT_EQ(card.regionOf(x, y), CardRegion::LineEnds) << x << "," << y;
            const int inner = x < 2 ? 2 : 717;
            if (samePixel(card.render(inner, y), card.palette[White])) {
                EXPECT_LT(card.body(x, y).y, card.palette[White].y) << x << "," << y;
            }
        }
    }
}
