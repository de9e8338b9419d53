// The card made line by line on demand answers exactly as the whole frame.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "PM5544CardFixture.h"
#include "support/Capture.h"
#include "tools/PixelEquality.h"

using namespace PatternGen;

namespace {

struct Canvas {
    int width, height, aspectWidth, aspectHeight;
    colorAxes_e axes;
    sampling_e sampling;
    int bitDepth;
};

std::unique_ptr<PhilipsPm5544Spec> onDemand(const Canvas& c)
{
    auto card = std::make_unique<PhilipsPm5544Spec>();
    card->renderLinesOnDemand = true;
    stdoutOf([&] {
        card->init(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, c.sampling, c.bitDepth, false,
                   Quadrant_None, 0, false, "");
    });
    return card;
}

std::string where(const Canvas& c, int x, int y)
{
    return std::to_string(c.width) + "x" + std::to_string(c.height) + " " + std::to_string(c.aspectWidth) + ":" +
           std::to_string(c.aspectHeight) + " axes " + std::to_string(c.axes) + " at " + std::to_string(x) + "," +
           std::to_string(y);
}

// Canvases that exercise the regions differently: odd and tiny sizes, pixel
// aspects far from square, HDR and Rec. 2020 axes (whose palettes hold two
// colours that shaping counts as one), subsampled chroma.
const Canvas kCanvases[] = {
    {720, 576, 4, 3, Colour_YCbCr_601, Sampling_422, 10},
    {1920, 1080, 16, 9, Colour_YCbCr_709, Sampling_420, 10},
    {101, 77, 21, 9, Colour_RGB_SLog3_Live_Mapped, Sampling_444, 12},
    {431, 155, 10, 13, Colour_YCbCr_2020, Sampling_420, 8},
    {64, 1, 16, 9, Colour_YCbCr_PQ, Sampling_422, 12},
    {333, 999, 1, 10, Colour_RGB, Sampling_444, 8},
    {4000, 300, 255, 1, Colour_YCbCr_HLG_Mapped, Sampling_444, 12},
};

}  // namespace

TEST(PM5544LineMaker, EverySampleAsTheWholeFrameHoldsIt)
{
    for (const Canvas& c : kCanvases) {
        const SetUpCard frame =
            makeCard(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, c.sampling, c.bitDepth);
        const auto lines = onDemand(c);
        ASSERT_TRUE(lines->producesLinesOnDemand() && lines->frame.empty()) << where(c, 0, 0);
        const std::vector<Pixel>& colours = *lines->colourTable();
        for (int y = 0; y < c.height; ++y) {
            const uint32_t* line = lines->indexedLine(y);
            for (int x = 0; x < c.width; ++x) {
                const Pixel& expected = frame.card->frame[static_cast<std::size_t>(y) * c.width + x];
                if (!identicalPixels(colours[line[x]], expected)) FAIL() << where(c, x, y);
            }
        }
    }
}

TEST(PM5544LineMaker, BodyAnswersInAnyOrderAndTwice)
{
    const Canvas c = kCanvases[1];
    const SetUpCard frame = makeCard(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, c.sampling, c.bitDepth);
    const auto lines = onDemand(c);
    // Bottom to top, jumping between distant lines and back, each asked twice.
    unsigned state = 12345;
    for (int k = 0; k < 20000; ++k) {
        state = state * 1103515245u + 12345u;
        const int y = k < 1080 ? 1079 - k : static_cast<int>((state >> 8) % 1080);
        const int x = static_cast<int>((state >> 4) % 1920);
        for (int twice = 0; twice < 2; ++twice) {
            if (!identicalPixels(lines->body(x, y), frame.card->body(x, y))) FAIL() << where(c, x, y);
        }
    }
}

TEST(PM5544LineMaker, FlatIndexReadsAndRefusalsAsTheFrame)
{
    const Canvas c = kCanvases[0];
    const SetUpCard frame = makeCard(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, c.sampling, c.bitDepth);
    const auto lines = onDemand(c);
    testing::internal::CaptureStdout();
    // x = -1 reads the last sample of the line above, after reporting it.
    EXPECT_TRUE(identicalPixels(lines->body(-1, 5), frame.card->body(-1, 5)));
    EXPECT_TRUE(identicalPixels(lines->body(c.width + 3, 5), frame.card->body(c.width + 3, 5)));
    for (const auto& xy : {std::pair{-1, 0}, std::pair{0, c.height}, std::pair{0, -1}}) {
        std::string fromFrame, fromLines;
        try {
            frame.card->body(xy.first, xy.second);
        } catch (const std::out_of_range& e) {
            fromFrame = e.what();
        }
        try {
            lines->body(xy.first, xy.second);
        } catch (const std::out_of_range& e) {
            fromLines = e.what();
        }
        EXPECT_FALSE(fromFrame.empty());
        EXPECT_EQ(fromLines, fromFrame);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PhilipsPm5544Spec::body x=-1 y=5\nPhilipsPm5544Spec::body x=-1 y=5\n"
              "PhilipsPm5544Spec::body x=-1 y=0\nPhilipsPm5544Spec::body x=-1 y=0\n"
              "PhilipsPm5544Spec::body x=0 y=-1\nPhilipsPm5544Spec::body x=0 y=-1\n");
}

TEST(PM5544LineMaker, RenderFormsAgreeWithTheWholeFrame)
{
    // The image and TIFF forms of both cards; the 16-bit form refuses a
    // quadrant of the card alike.
    const Canvas c = kCanvases[3];
    const SetUpCard frame = makeCard(c.width, c.height, c.aspectWidth, c.aspectHeight, c.axes, c.sampling, c.bitDepth);
    const auto lines = onDemand(c);
    const std::size_t pixels = static_cast<std::size_t>(c.width) * c.height;
    std::vector<unsigned short> a(pixels * 4), b(pixels * 4);
    frame.card->run_body(0, c.width, c.height, a.data());
    lines->run_body(0, c.width, c.height, b.data());
    EXPECT_EQ(a, b);
    std::vector<unsigned short> ta(pixels * 3), tb(pixels * 3);
    std::vector<std::pair<int, int>> repeats;
    int ha = c.height, hb = c.height;
    frame.card->run_body(0, c.width, ha, repeats, reinterpret_cast<unsigned char*>(ta.data()));
    lines->run_body(0, c.width, hb, repeats, reinterpret_cast<unsigned char*>(tb.data()));
    EXPECT_EQ(ta, tb);

    lines->quadrant = Quadrant_TopLeft;
    EXPECT_THROW(lines->run_body(0, c.width, c.height, b.data()), std::runtime_error);
}
