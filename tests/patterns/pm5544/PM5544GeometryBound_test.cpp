// The card is drawn at every size its 32-bit geometry allows and refused just
// beyond. The sanitizer build multiplies the geometry plainly, so there an
// overflow in any line of the largest canvas stops the test.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "PM5544CardFixture.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

// The largest n in [1, limit] for which `drawable(n)` holds, given that it
// holds for 1 and, once false, stays false.
long long largestWhere(long long limit, const std::function<bool(long long)>& drawable)
{
    long long low = 1;
    long long high = limit;
    while (low < high) {
        const long long middle = low + (high - low + 1) / 2;
        if (drawable(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

struct Edge {
    int aspectWidth;
    int aspectHeight;
    int fixed;         // the height, or the width when `widthFixed`
    bool widthFixed;   // the height is the size that grows
    long long expect;  // the largest drawable value of the growing size
};

}  // namespace

TEST(GeometryBound, LargestCanvasDrawsEveryLineAndTheNextIsRefused)
{
    // Each row is limited by another of the card's products: a sample's
    // distance from the centre (the first two), a corner circle's centre on a
    // tall aspect, and the border's pitch on a narrow canvas.
    const Edge edges[] = {
        {256, 135, 2160, false, 7771},
        {2048, 1, 100, false, 20975},
        {1, 100000, 30, false, 21472},
        {1, 1, 8, true, 121162},
    };
    for (const Edge& e : edges) {
        auto size = [&](long long n) {
            return e.widthFixed ? std::make_pair<long long, long long>(e.fixed, +n)
                                : std::make_pair<long long, long long>(+n, e.fixed);
        };
        auto drawable = [&](long long n) {
            const auto [w, h] = size(n);
            return PhilipsPm5544Spec().drawableAt(w, h, e.aspectWidth, e.aspectHeight);
        };
        const long long largest = largestWhere(INT_MAX, drawable);
        ASSERT_EQ(largest, e.expect) << e.aspectWidth << ":" << e.aspectHeight;
        const auto [width, height] = size(largest);
        EXPECT_LE(PhilipsPm5544Spec::largestGeometryProduct(width, height, e.aspectWidth, e.aspectHeight), INT_MAX);

        SetUpCard made{std::make_unique<PhilipsPm5544Spec>(), ""};
        made.card->renderLinesOnDemand = true;
        made.printed = stdoutOf([&] {
            made.card->init(static_cast<int>(width), static_cast<int>(height), e.aspectWidth, e.aspectHeight,
                            PatternGen::Colour_YCbCr_709, PatternGen::Sampling_444, 10, false,
                            PatternGen::Quadrant_None, 0, false, "");
        });
        ASSERT_TRUE(made.card->producesLinesOnDemand());
        for (int y = 0; y < height; ++y) ASSERT_NE(made.card->indexedLine(y), nullptr);

        const auto [tooWide, tooHigh] = size(largest + 1);
        const std::string sizeText = std::to_string(tooWide) + "x" + std::to_string(tooHigh);
        const std::string aspectText = std::to_string(e.aspectWidth) + "x" + std::to_string(e.aspectHeight);
        const ProgramRun run = runProgram({"-d", sizeText, "-a", aspectText, "card.dpx"}, testTempDir());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "Error: Image size " + sizeText + " with aspect " + std::to_string(e.aspectWidth) + ":" +
                               std::to_string(e.aspectHeight) + " is too large\n");
    }
}

TEST(GeometryBound, AnAspectIsTakenInLowestTerms)
{
    // DCI 4K at its own aspect, given in lowest terms or as the size itself.
    for (const char* aspect : {"256x135", "4096x2160"}) {
        const ProgramRun run =
            runProgram({"-d", "4096x2160", "-a", aspect, "-c", "2020", "-b", "10", "card.dpx"}, testTempDir());
        EXPECT_EQ(run.status, 0) << aspect << "\n" << run.err;
    }
}
