#include <gtest/gtest.h>

#include <stdexcept>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

struct PaletteCase {
    colorAxes_e axes;
    int bits, slot, codes[3];  // codes in constructor order
    colorAxes_e tableAxes;
    int tableBits;
};

TEST(PM5544Palette, TableVariantAndConversionFollowAxesAndDepth)
{
    const colorAxes_e rgb219 = Colour_RGB_219, y709 = Colour_YCbCr_709, y2020 = Colour_YCbCr_2020;
    const PaletteCase cases[] = {
        // Slot 8 of the 12-bit R'G'B' table and slot 4 of the 10-bit ones break their pattern.
        {Colour_RGB, 12, 8, {2948, 512, 2948}, rgb219, 12},    {rgb219, 10, 4, {602, 602, 602}, rgb219, 10},
        {y709, 10, 3, {502, 512, 512}, y709, 10},              {y709, 8, 3, {2008, 2048, 2048}, y709, 12},
        {y709, 16, 13, {446, 3392, 1925}, y709, 12},           {y2020, 10, 14, {888, 64, 548}, y2020, 10},
        {y2020, 12, 15, {1177, 1548, 3840}, y2020, 12},        {Colour_YCbCr_601, 12, 8, {2948, 512, 2948}, rgb219, 12},
        {Colour_YCbCr_PQ, 12, 15, {1177, 1548, 3840}, y2020, 12},
        {Colour_YCbCr_SLog3_Live, 10, 9, {548, 606, 176}, y2020, 10},
        {Colour_YCbCr_PQ_Mapped, 12, 9, {2884, 2884, 256}, rgb219, 12},
        {Colour_RGB_HLG, 10, 11, {64, 721, 721}, rgb219, 10},
        {Colour_RGB_SLog3_Live_Mapped, 12, 7, {3760, 3760, 3760}, rgb219, 12},
    };
    for (const PaletteCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "axes " << c.axes << " bits " << c.bits << " slot " << c.slot);
        SetUpCard made = makeCard(64, 48, 4, 3, c.axes, Sampling_444, c.bits);
        Pixel expected(c.codes[0], c.codes[1], c.codes[2], c.tableAxes, c.tableBits);
        if (c.axes != c.tableAxes && c.axes != Colour_RGB) {
            expected = expected.convertTo(c.axes);
        }
        EXPECT_TRUE(samePixel(made.card->palette[c.slot], expected));
    }
}

TEST(PM5544Parameters, ConstructorDefaultsAndSizeDependentValues)
{
    PhilipsPm5544Spec fresh;
    EXPECT_EQ(fresh.squareWavePeriod, 594);  // 250 kHz on the default 2160-line canvas
    EXPECT_EQ(fresh.gratingStartHz, 800000);
    EXPECT_EQ(fresh.gratingStepHz, 1000000);
    EXPECT_TRUE(fresh.frame.empty());
    EXPECT_TRUE(fresh.useFullCanvasSize());

    // height, square-wave period, grating start and step, cap, long and centre bar widths
    const int rows[][7] = {
        {576, 27, 800000, 1000000, 168, 252, 42},     {600, 148, 800000, 1000000, 175, 262, 43},
        {601, 148, 1600000, 2000000, 175, 262, 43},   {1080, 148, 1600000, 2000000, 315, 472, 78},
        {2000, 297, 1600000, 2000000, 583, 875, 145}, {2001, 297, 3200000, 4000000, 583, 875, 145},
        {2160, 297, 3200000, 4000000, 630, 945, 157},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0]);
        SetUpCard made = makeCard(32, r[0], 16, 9);
        const PhilipsPm5544Spec& card = *made.card;
        EXPECT_EQ(card.squareWavePeriod, r[1]);
        EXPECT_EQ(card.gratingStartHz, r[2]);
        EXPECT_EQ(card.gratingStepHz, r[3]);
        EXPECT_EQ(card.capBarWidth, r[4]);
        EXPECT_EQ(card.longBarWidth, r[5]);
        EXPECT_EQ(card.centreBarWidth, r[6]);
        // The framework's shaping is handed over to the card.
        EXPECT_EQ(card.savedTransitionSize, 4);
        EXPECT_EQ(card.transitionSize, 0);
        EXPECT_FALSE(card.riseTimeEnabled);
    }
}

TEST(PM5544Body, LooksUpTheStoredFrameAndRejectsPositionsOutsideIt)
{
    SetUpCard made = makeCard(64, 48, 16, 9);
    PhilipsPm5544Spec& card = *made.card;
    ASSERT_EQ(card.frame.size(), 64u * 48u);
    EXPECT_TRUE(samePixel(card.body(0, 0), card.frame.front()));
    EXPECT_TRUE(samePixel(card.body(63, 47), card.frame.back()));
    EXPECT_TRUE(samePixel(card.body(5, 1), card.frame[64 + 5]));
    testing::internal::CaptureStdout();
    EXPECT_THROW(card.body(-1, 0), std::out_of_range);
    EXPECT_THROW(card.body(3, -2), std::out_of_range);
    EXPECT_THROW(card.body(0, 48), std::out_of_range);
    EXPECT_THROW(card.body(0, 2000000000), std::out_of_range);
    // A negative x on a later line is reported, yet indexes the line above.
    EXPECT_TRUE(samePixel(card.body(-1, 1), card.frame[63]));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PhilipsPm5544Spec::body x=-1 y=0\nPhilipsPm5544Spec::body x=3 y=-2\n"
              "PhilipsPm5544Spec::body x=-1 y=1\n");
}

TEST(PM5544Body, TinyCanvasWithoutAGridPitchStillBuildsItsFrame)
{
    EXPECT_EQ(makeCard(8, 8, 16, 9).card->frame.size(), 64u);
}

}  // namespace
