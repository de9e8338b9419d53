#include <gtest/gtest.h>

#include <stdexcept>

#include "PM5544CardFixture.h"

using namespace PatternGen;

namespace {

// ---------------------------------------------------------------------------
// Palette: which table, which variant, converted or not.

TEST(PM5544Palette, RgbCanvasTakesThe219StepTableUnconverted)
{
    SetUpCard made = makeCard(64, 48, 4, 3, Colour_RGB);
    // Slot 8 of the 12-bit table is not the 75 % yellow its neighbours suggest.
    EXPECT_TRUE(hasCodes(made.card->palette[8], 2948, 512, 2948, Colour_RGB_219, 12));
    EXPECT_TRUE(hasCodes(made.card->palette[0], 256, 256, 256, Colour_RGB_219, 12));
    EXPECT_TRUE(hasCodes(made.card->palette[15], 256, 256, 3760, Colour_RGB_219, 12));
}

TEST(PM5544Palette, TenBitCanvasesTakeTheTenBitVariant)
{
    SetUpCard ycbcr = makeCard(64, 48, 4, 3, Colour_YCbCr_709, Sampling_444, 10);
    EXPECT_TRUE(hasCodes(ycbcr.card->palette[3], 502, 512, 512, Colour_YCbCr_709, 10));
    EXPECT_TRUE(hasCodes(ycbcr.card->palette[4], 602, 512, 512, Colour_YCbCr_709, 10));
    EXPECT_TRUE(hasCodes(ycbcr.card->palette[8], 674, 176, 543, Colour_YCbCr_709, 10));

    SetUpCard rgb = makeCard(64, 48, 4, 3, Colour_RGB_219, Sampling_444, 10);
    EXPECT_TRUE(hasCodes(rgb.card->palette[4], 602, 602, 602, Colour_RGB_219, 10));
    EXPECT_TRUE(hasCodes(rgb.card->palette[8], 721, 64, 721, Colour_RGB_219, 10));

    SetUpCard bt2020 = makeCard(64, 48, 4, 3, Colour_YCbCr_2020, Sampling_444, 10);
    EXPECT_TRUE(hasCodes(bt2020.card->palette[4], 602, 512, 512, Colour_YCbCr_2020, 10));
    EXPECT_TRUE(hasCodes(bt2020.card->palette[14], 888, 64, 548, Colour_YCbCr_2020, 10));
}

TEST(PM5544Palette, EveryOtherDepthTakesTheTwelveBitVariant)
{
    for (int bits : {8, 12, 16}) {
        SCOPED_TRACE(bits);
        SetUpCard made = makeCard(64, 48, 4, 3, Colour_YCbCr_709, Sampling_444, bits);
        EXPECT_TRUE(hasCodes(made.card->palette[3], 2008, 2048, 2048, Colour_YCbCr_709, 12));
        EXPECT_TRUE(hasCodes(made.card->palette[4], 2358, 2048, 2048, Colour_YCbCr_709, 12));
    }
    SetUpCard bt2020 = makeCard(64, 48, 4, 3, Colour_YCbCr_2020);
    EXPECT_TRUE(hasCodes(bt2020.card->palette[15], 1177, 1548, 3840, Colour_YCbCr_2020, 12));
}

TEST(PM5544Palette, Rec601IsConvertedFromThe219StepTable)
{
    SetUpCard made = makeCard(64, 48, 4, 3, Colour_YCbCr_601);
    const Pixel yellow(2948, 512, 2948, Colour_RGB_219, 12);
    const Pixel white(3760, 3760, 3760, Colour_RGB_219, 12);
    EXPECT_TRUE(samePixel(made.card->palette[8], yellow.convertTo(Colour_YCbCr_601)));
    EXPECT_TRUE(samePixel(made.card->palette[7], white.convertTo(Colour_YCbCr_601)));
    EXPECT_EQ(made.card->palette[8].axis, Colour_YCbCr_601);
}

TEST(PM5544Palette, PlainHdrYCbCrIsConvertedFromThe2020Table)
{
    SetUpCard made = makeCard(64, 48, 4, 3, Colour_YCbCr_PQ);
    const Pixel red(1177, 1548, 3840, Colour_YCbCr_2020, 12);
    const Pixel grey(2008, 2048, 2048, Colour_YCbCr_2020, 12);
    EXPECT_TRUE(samePixel(made.card->palette[15], red.convertTo(Colour_YCbCr_PQ)));
    EXPECT_TRUE(samePixel(made.card->palette[3], grey.convertTo(Colour_YCbCr_PQ)));
}

TEST(PM5544Palette, MappedAndRgbHdrAreConvertedFromThe219StepTable)
{
    const Pixel cyan(2884, 2884, 256, Colour_RGB_219, 12);
    for (colorAxes_e axes : {Colour_YCbCr_PQ_Mapped, Colour_RGB_HLG}) {
        SCOPED_TRACE(axes);
        SetUpCard made = makeCard(64, 48, 4, 3, axes);
        EXPECT_TRUE(samePixel(made.card->palette[9], cyan.convertTo(axes)));
    }
}

// ---------------------------------------------------------------------------
// Size-dependent parameters and the hand-over of the edge shaping.

TEST(PM5544Parameters, ConstructorStartsWithTheDefaultCanvas)
{
    PhilipsPm5544Spec card;
    EXPECT_EQ(card.squareWavePeriod, 594);
    EXPECT_EQ(card.gratingStartHz, 800000);
    EXPECT_EQ(card.gratingStepHz, 1000000);
    EXPECT_TRUE(card.frame.empty());
    EXPECT_TRUE(card.useFullCanvasSize());
}

TEST(PM5544Parameters, SquareWavePeriodFollowsTheSampleRate)
{
    EXPECT_EQ(makeCard(64, 576, 4, 3).card->squareWavePeriod, 27);
    EXPECT_EQ(makeCard(64, 1080, 16, 9).card->squareWavePeriod, 148);
    EXPECT_EQ(makeCard(64, 2160, 16, 9).card->squareWavePeriod, 297);
}

TEST(PM5544Parameters, GratingsScaleAbove600And2000Lines)
{
    SetUpCard at600 = makeCard(32, 600, 16, 9);
    EXPECT_EQ(at600.card->gratingStartHz, 800000);
    EXPECT_EQ(at600.card->gratingStepHz, 1000000);

    SetUpCard at601 = makeCard(32, 601, 16, 9);
    EXPECT_EQ(at601.card->gratingStartHz, 1600000);
    EXPECT_EQ(at601.card->gratingStepHz, 2000000);

    SetUpCard at2000 = makeCard(32, 2000, 16, 9);
    EXPECT_EQ(at2000.card->gratingStartHz, 1600000);

    SetUpCard at2001 = makeCard(32, 2001, 16, 9);
    EXPECT_EQ(at2001.card->gratingStartHz, 3200000);
    EXPECT_EQ(at2001.card->gratingStepHz, 4000000);
}

TEST(PM5544Parameters, BarWidthsAreHeightFractions)
{
    SetUpCard sd = makeCard(64, 576, 4, 3);
    EXPECT_EQ(sd.card->capBarWidth, 168);
    EXPECT_EQ(sd.card->longBarWidth, 252);
    EXPECT_EQ(sd.card->centreBarWidth, 42);

    SetUpCard hd = makeCard(64, 1080, 16, 9);
    EXPECT_EQ(hd.card->capBarWidth, 315);
    EXPECT_EQ(hd.card->longBarWidth, 472);
    EXPECT_EQ(hd.card->centreBarWidth, 78);
}

TEST(PM5544Parameters, FrameworkShapingIsHandedOver)
{
    SetUpCard made = makeCard(64, 48, 16, 9);
    EXPECT_EQ(made.card->savedTransitionSize, 4);
    EXPECT_EQ(made.card->transitionSize, 0);
    EXPECT_FALSE(made.card->riseTimeEnabled);
}

// ---------------------------------------------------------------------------
// The stored frame and its lookup.

TEST(PM5544Body, FrameHoldsOneSamplePerPosition)
{
    SetUpCard made = makeCard(64, 48, 16, 9);
    PhilipsPm5544Spec& card = *made.card;
    ASSERT_EQ(card.frame.size(), 64u * 48u);
    EXPECT_TRUE(samePixel(card.body(0, 0), card.frame.front()));
    EXPECT_TRUE(samePixel(card.body(63, 47), card.frame.back()));
    EXPECT_TRUE(samePixel(card.body(5, 1), card.frame[64 + 5]));
}

TEST(PM5544Body, NegativeCoordinatesAreReportedAndRejected)
{
    SetUpCard made = makeCard(64, 48, 16, 9);
    testing::internal::CaptureStdout();
    EXPECT_THROW(made.card->body(-1, 0), std::out_of_range);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "PhilipsPm5544Spec::body x=-1 y=0\n");

    testing::internal::CaptureStdout();
    EXPECT_THROW(made.card->body(3, -2), std::out_of_range);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "PhilipsPm5544Spec::body x=3 y=-2\n");
}

TEST(PM5544Body, PositionsPastTheFrameAreRejectedSilently)
{
    SetUpCard made = makeCard(64, 48, 16, 9);
    testing::internal::CaptureStdout();
    EXPECT_THROW(made.card->body(0, 48), std::out_of_range);
    EXPECT_THROW(made.card->body(64, 47), std::out_of_range);
    EXPECT_THROW(made.card->body(0, 2000000000), std::out_of_range);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(PM5544Body, SetUpPrintsNoShapingErrors)
{
    for (sampling_e sampling : {Sampling_444, Sampling_422, Sampling_420}) {
        SCOPED_TRACE(sampling);
        SetUpCard made = makeCard(720, 576, 4, 3, Colour_YCbCr_709, sampling);
        EXPECT_EQ(made.printed.find("Error"), std::string::npos) << made.printed;
    }
}

TEST(PM5544Body, TinyCanvasesStillBuildAFrame)
{
    // Too few lines for a grid pitch of even one sample.
    SetUpCard made = makeCard(8, 8, 16, 9);
    EXPECT_EQ(made.card->frame.size(), 64u);
}

}  // namespace
