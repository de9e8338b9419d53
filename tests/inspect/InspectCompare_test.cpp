// A chain that changes one sample: --compare finds it, names the part of the
// card it lies in, and marks it in the difference picture.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "InspectRun.h"
#include "support/PngReader.h"

namespace {

constexpr int kWidth = 640;
constexpr std::size_t kDpxData = 8192;

// The region's line of the table: its pixel count and differing count.
std::string tableRow(const std::string& out, const std::string& region)
{
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, region.size(), region) == 0) return line;
    }
    return "";
}

// The top of the difference picture's heat scale, the colour of the largest difference.
const std::array<int, 3> kLargestColour{255, 255, 160};

std::array<int, 3> colourAt(const PngImage& image, int x, int y)
{
    const auto ux = static_cast<uint32_t>(x);
    const auto uy = static_cast<uint32_t>(y);
    return {image.at(ux, uy, 0), image.at(ux, uy, 1), image.at(ux, uy, 2)};
}

// Pixels brighter than any of the dimmed card's: those on the heat scale.
long long markedPixels(const PngImage& image)
{
    long long marked = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            marked += image.at(x, y, 0) > 64 || image.at(x, y, 1) > 64 || image.at(x, y, 2) > 64 ? 1 : 0;
        }
    }
    return marked;
}

long long differing(const std::string& row)
{
    std::istringstream fields(row.substr(26));
    long long samples = 0, differ = -1;
    fields >> samples >> differ;
    return differ;
}

}  // namespace

TEST(InspectCompare, FindsOneChangedSampleAndNamesItsRegion)
{
    const std::vector<std::string> options = {"-d", "640x360", "-c", "709", "-b", "10"};
    // x, y, region; Y' of the pixel is raised by 3 codes in the 4:4:4 DPX (one word per pixel).
    const struct {
        int x, y;
        const char* region;
    } cases[] = {
        {188, 120, "colour bars"}, {220, 230, "grating 1 (0.8 MHz)"}, {330, 300, "bottom segment"}, {20, 5, "border"}};
    for (const auto& c : cases) {
        const std::string path = renderWithPm5544(options, "card.dpx");
        std::string bytes = readFile(path);
        const std::size_t at = kDpxData + (static_cast<std::size_t>(c.y) * kWidth + c.x) * 4;
        uint32_t word = 0;
        for (int i = 3; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(bytes[at + i]);
        word += 3u << 12;  // the Y' datum: bits 12 to 21 of this host's little-endian word
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(word >> (8 * i));
        std::ofstream(path, std::ios::binary) << bytes;
        const std::string diff = path + ".diff.png";

        const ProgramRun run = inspect(with(with(with(with(options, "--compare"), "--diff"), diff), path));
        EXPECT_EQ(run.status, 1) << c.region << run.err;
        EXPECT_EQ(differing(tableRow(run.out, c.region)), 1) << c.region << "\n" << run.out;
        EXPECT_EQ(differing(tableRow(run.out, "all")), 1) << run.out;
        // Largest differences of Cr, Y', Cb: the columns after each "|".
        std::istringstream columns(tableRow(run.out, c.region));
        std::vector<double> largest;
        std::string token;
        while (std::getline(columns, token, '|')) largest.push_back(std::atof(token.c_str()));
        EXPECT_EQ(largest, (std::vector<double>{largest[0], 0, 3, 0})) << c.region << "\n" << run.out;

        const PngImage marked = readPng(diff);
        ASSERT_TRUE(marked.ok) << diff;
        EXPECT_EQ(markedPixels(marked), 1) << c.region;
        EXPECT_EQ(colourAt(marked, c.x, c.y), kLargestColour) << c.region;
    }
}

TEST(InspectCompare, ToleranceCountsSmallDifferencesAsEqualAndTheHeatScaleShowsSize)
{
    const std::vector<std::string> options = {"-d", "640x360", "-c", "709", "-b", "10"};
    const std::string path = renderWithPm5544(options, "card.dpx");
    std::string bytes = readFile(path);
    // Y' raised by 3 codes at one pixel of the background and by 40 at another.
    const struct {
        int x, y, codes;
    } changes[] = {{100, 40, 3}, {540, 40, 40}};
    for (const auto& c : changes) {
        const std::size_t at = kDpxData + (static_cast<std::size_t>(c.y) * kWidth + c.x) * 4;
        uint32_t word = 0;
        for (int i = 3; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(bytes[at + i]);
        word += static_cast<uint32_t>(c.codes) << 12;
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(word >> (8 * i));
    }
    std::ofstream(path, std::ios::binary) << bytes;
    const struct {
        const char* tolerance;
        int status;
        long long differ;
        const char* result;
    } cases[] = {{"0", 1, 2, "result: 2 of 230400 samples differ"},
                 {"2", 1, 2, "result: 2 of 230400 samples differ"},
                 {"3", 1, 1, "result: 1 of 230400 samples differ"},
                 {"40", 0, 0, "result: identical within 40 codes"}};
    for (const auto& c : cases) {
        const std::string diff = path + ".diff.png";
        std::vector<std::string> args = options;
        args.insert(args.end(), {"--compare", "--tolerance", c.tolerance, "--diff", diff, path});
        const ProgramRun run = inspect(args);
        EXPECT_EQ(run.status, c.status) << c.tolerance << run.err;
        EXPECT_EQ(differing(tableRow(run.out, "all")), c.differ) << run.out;
        EXPECT_NE(run.out.find(c.result), std::string::npos) << run.out;
        const PngImage marked = readPng(diff);
        ASSERT_TRUE(marked.ok) << diff;
        EXPECT_EQ(markedPixels(marked), c.differ) << c.tolerance;
        if (c.differ > 0) {
            EXPECT_EQ(colourAt(marked, 540, 40), kLargestColour) << c.tolerance;
        }
        if (c.differ == 2) {
            // 3 codes against 40 lies low on the scale, between purple and red, not yet orange.
            const std::array<int, 3> small = colourAt(marked, 100, 40);
            EXPECT_GE(small[0], 96) << c.tolerance;
            EXPECT_EQ(small[1], 0) << c.tolerance;
        }
    }
    const ProgramRun alone = inspect(with({"--tolerance", "2"}, path));
    EXPECT_EQ(alone.status, 2);
    EXPECT_NE(alone.err.find("--tolerance goes with --compare"), std::string::npos) << alone.err;
    EXPECT_EQ(inspect(with({"--compare", "--tolerance", "-1"}, path)).status, 2);
}
