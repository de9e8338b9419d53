// The card takes its aspect in lowest terms: the same integer geometry as the
// aspect as given, wherever that does not overflow.
#include <gtest/gtest.h>

#include "PM5544CardFixture.h"
#include "tools/PixelEquality.h"

using namespace PatternGen;

TEST(AspectReduction, LowestTermsDrawTheSameCard)
{
    // aspect as given, sizes; the given numbers share a factor.
    const int aspects[][2] = {{32, 18}, {1920, 1080}, {8, 6}, {28, 18}, {400, 300}, {42, 18}, {2, 2}, {1024, 768}};
    const int sizes[][2] = {{720, 576}, {101, 77}, {64, 48}, {333, 200}};
    for (const auto& a : aspects) {
        for (const auto& size : sizes) {
            const SetUpCard given = makeCard(size[0], size[1], a[0], a[1]);
            ASSERT_NE(given.printed.find("Aspect: " + std::to_string(a[0]) + ":" + std::to_string(a[1]) + "\n"),
                      std::string::npos);
            // The same card drawn with the numbers as given.
            const SetUpCard other = makeCard(size[0], size[1], a[0], a[1]);
            PhilipsPm5544Spec& unreduced = *other.card;
            unreduced.aspectWidth = a[0];
            unreduced.aspectHeight = a[1];
            // setup() again from the state init leaves it: the framework's
            // shaping, and the grating frequencies before they follow the height.
            const PhilipsPm5544Spec fresh;
            unreduced.transitionSize = unreduced.savedTransitionSize;
            unreduced.riseTimeEnabled = true;
            unreduced.gratingStartHz = fresh.gratingStartHz;
            unreduced.gratingStepHz = fresh.gratingStepHz;
            unreduced.setup();
            ASSERT_EQ(unreduced.frame.size(), given.card->frame.size());
            for (std::size_t i = 0; i < unreduced.frame.size(); ++i) {
                if (!identicalPixels(unreduced.frame[i], given.card->frame[i]))
                    FAIL() << a[0] << ":" << a[1] << " at " << size[0] << "x" << size[1] << ", sample " << i;
            }
            EXPECT_LT(given.card->aspectWidth, a[0]);
        }
    }
}
