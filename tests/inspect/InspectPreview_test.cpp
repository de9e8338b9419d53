// Previews show the colour bars as sR'G'B' 75 % bars, whatever colour space,
// file kind and HDR signal carried them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "InspectRun.h"
#include "support/PngReader.h"

namespace {

struct Colour {
    int r, g, b;
};

// Yellow, cyan, green, magenta, red, blue at 75 %. The card's R'G'B' palette
// has a yellow with some blue in it; the spaces converted from it keep that.
const Colour kBars[6] = {{191, 191, 0}, {0, 191, 191}, {0, 191, 0}, {191, 0, 191}, {191, 0, 0}, {0, 0, 191}};
const Colour kRgbPaletteYellow = {196, 196, 19};

}  // namespace

TEST(InspectPreview, ColourBarsComeOutAsSeventyFivePercentBars)
{
    const std::vector<std::string> hd = {"-d", "1280x720"};
    const struct {
        const char* name;
        std::vector<std::string> options;
        bool rgbPalette;
        int tolerance;  // 8-bit steps
    } cases[] = {
        {"card.png", {"-c", "709", "-s", "422", "-b", "10"}, false, 1},
        {"card.png", {"-a", "4x3", "-c", "601"}, true, 1},
        {"card.tif", {"-c", "PQ"}, false, 1},
        {"card.dpx", {"-c", "HLG", "-s", "422", "-b", "10"}, false, 1},
        // The log curve's 10-bit steps are 0.9 % of light apart, and its matrix rounds three codes.
        {"card.yc4", {"-c", "S-Log3"}, false, 2},
        {"card.png", {"-c", "RGB-headroom"}, true, 1},
        {"card.xyz", {"-c", "RGB-headroom"}, true, 1},
    };
    for (const auto& c : cases) {
        std::vector<std::string> options = hd;
        options.insert(options.end(), c.options.begin(), c.options.end());
        const std::string path = renderWithPm5544(options, c.name);
        const std::string preview = path + ".preview.png";
        const ProgramRun run = inspect(with(with(with(c.options, "--preview"), preview), path));
        ASSERT_EQ(run.status, 0) << c.name << run.err;
        const PngImage image = readPng(preview);
        ASSERT_TRUE(image.ok);
        ASSERT_EQ(image.bitDepth, 8);
        ASSERT_EQ(image.channels, 3);
        for (int k = 0; k < 6; ++k) {
            // Bar centres on line 260 of a 1280x720 card.
            const int x = 377 + 105 * k;
            const Colour expected = k == 0 && c.rgbPalette ? kRgbPaletteYellow : kBars[k];
            const int got[3] = {image.at(x, 260, 0), image.at(x, 260, 1), image.at(x, 260, 2)};
            const int want[3] = {expected.r, expected.g, expected.b};
            for (int i = 0; i < 3; ++i) {
                EXPECT_LE(std::abs(got[i] - want[i]), c.tolerance)
                    << c.name << " " << testing::PrintToString(c.options) << " bar " << k << " channel " << i;
            }
        }
    }
}
