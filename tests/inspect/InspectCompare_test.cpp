// A chain that changes one sample: --compare finds it, names the part of the
// card it lies in, and marks it in the difference picture.
#include <gtest/gtest.h>

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
        int red = 0;
        for (uint32_t y = 0; y < marked.height; ++y) {
            for (uint32_t x = 0; x < marked.width; ++x) {
                red += marked.at(x, y, 0) == 255 && marked.at(x, y, 1) == 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(red, 1) << c.region;
        EXPECT_EQ(marked.at(c.x, c.y, 0), 255) << c.region;
    }
}
