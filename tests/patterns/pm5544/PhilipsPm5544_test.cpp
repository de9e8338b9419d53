#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

TEST(PM5544Palette, TableVariantAndConversionFollowAxesAndDepth)
{
    const int rgb219 = Colour_RGB_219, y709 = Colour_YCbCr_709, y2020 = Colour_YCbCr_2020;
    // canvas axes and bits, slot, codes in constructor order, axes and bits of the table
    const int cases[][8] = {
        // Slot 8 of the 12-bit R'G'B' table and slot 4 of the 10-bit ones break their pattern.
        {Colour_RGB, 12, 8, 2948, 512, 2948, rgb219, 12},
        {rgb219, 10, 4, 602, 602, 602, rgb219, 10},
        {y709, 10, 3, 502, 512, 512, y709, 10},
        {y709, 8, 3, 2008, 2048, 2048, y709, 12},
        {y709, 12, 13, 446, 3392, 1925, y709, 12},
        {y2020, 10, 14, 888, 64, 548, y2020, 10},
        // Converted from the table they start from.
        {Colour_YCbCr_601, 12, 8, 2948, 512, 2948, rgb219, 12},
        {Colour_YCbCr_PQ, 12, 15, 1177, 1548, 3840, y2020, 12},
    };
    for (const auto& c : cases) {
        const auto axes = static_cast<colorAxes_e>(c[0]);
        const Pixel fixed(c[3], c[4], c[5], static_cast<colorAxes_e>(c[6]), c[7]);
        EXPECT_TRUE(samePixel(makeCard(64, 48, 4, 3, axes, Sampling_444, c[1]).card->palette[c[2]],
                              c[0] != c[6] && axes != Colour_RGB ? fixed.convertTo(axes) : fixed))
            << "axes " << c[0] << " bits " << c[1] << " slot " << c[2];
    }
}

TEST(PM5544Parameters, SquareWaveAndGratingsFollowTheHeight)
{
    EXPECT_EQ(PhilipsPm5544Spec().squareWavePeriod, 594);  // 250 kHz until set up
    // height, square-wave period, grating start and step
    const int rows[][4] = {{576, 27, 800000, 1000000},    {600, 148, 800000, 1000000},   {601, 148, 1600000, 2000000},
                           {2000, 297, 1600000, 2000000}, {2001, 297, 3200000, 4000000}, {2160, 297, 3200000, 4000000}};
    for (const auto& r : rows) {
        const auto card = makeCard(32, r[0], 16, 9).card;
        EXPECT_EQ((std::vector<int>{card->squareWavePeriod, card->gratingStartHz, card->gratingStepHz}),
                  (std::vector<int>{r[1], r[2], r[3]}))
            << r[0];
        // The framework's shaping is handed over to the card.
        EXPECT_TRUE(card->savedTransitionSize == 4 && card->transitionSize == 0 && !card->riseTimeEnabled);
    }
}

TEST(PM5544Body, LooksUpTheStoredFrameAndRejectsPositionsOutsideIt)
{
    const auto card = makeCard(64, 48, 16, 9).card;
    ASSERT_EQ(card->frame.size(), 64u * 48u);
    EXPECT_TRUE(samePixel(card->body(0, 0), card->frame.front()));
    EXPECT_TRUE(samePixel(card->body(63, 47), card->frame.back()));
    testing::internal::CaptureStdout();
    EXPECT_THROW(card->body(-1, 0), std::out_of_range);
    EXPECT_THROW(card->body(0, 48), std::out_of_range);
    EXPECT_THROW(card->body(0, 2000000000), std::out_of_range);
    // A negative x on a later line is reported, yet indexes the line above.
    EXPECT_TRUE(samePixel(card->body(-1, 1), card->frame[63]));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PhilipsPm5544Spec::body x=-1 y=0\nPhilipsPm5544Spec::body x=-1 y=1\n");
    // A canvas too small for a grid pitch still builds its frame.
    EXPECT_EQ(makeCard(8, 8, 16, 9).card->frame.size(), 64u);
}

}  // namespace
