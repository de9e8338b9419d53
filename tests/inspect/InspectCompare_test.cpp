// A chain that changes one sample: --compare finds it, names the part of the
// card it lies in, and marks it in the difference picture.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "InspectRun.h"
#include "support/PngReader.h"
#include "support/TiffReader.h"
#include "writers/writePng.h"
#include "writers/writeTiff.h"

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

namespace {

constexpr int kEditWidth = 324;  // whole groups of six pixels in a 4:2:2 DPX line
constexpr int kEditHeight = 180;
constexpr int kEditX = 51;  // grid background; a change moves a code towards the middle, so any pixel would do
constexpr int kEditY = 15;
constexpr unsigned kEditCodes = 5;
constexpr std::size_t kPatternFirstBlock = 18;  // after the header and the block count

using FileEdit = std::function<void(const std::string& path)>;

// One component of one sample, moved by a few codes of `unit` towards the middle of `top`.
unsigned nudged(unsigned value, unsigned unit, unsigned top)
{
    return value > top / 2 ? value - kEditCodes * unit : value + kEditCodes * unit;
}

FileEdit pngSample(int channel)
{
    return [channel](const std::string& path) {
        PngImage image = readPng(path);
        ASSERT_TRUE(image.ok && image.width == kEditWidth && image.height == kEditHeight) << path;
        uint16_t& s = image.samples[(static_cast<std::size_t>(kEditY) * kEditWidth + kEditX) * 4 + channel];
        s = static_cast<uint16_t>(nudged(s, 1u << 4, 0xFFFF));  // 12-bit codes at the top of 16 bits
        std::vector<unsigned short> samples(image.samples.begin(), image.samples.end());
        ASSERT_EQ(PngWriter::writePng(samples.data(), false, kEditWidth, kEditHeight, 12, path.c_str()), 0);
    };
}

FileEdit tiffSample(int channel)
{
    return [channel](const std::string& path) {
        TiffImage image = readTiff(path);
        ASSERT_TRUE(image.ok && image.width == kEditWidth && image.height == kEditHeight) << path;
        uint16_t& s = image.samples[(static_cast<std::size_t>(kEditY) * kEditWidth + kEditX) * 3 + channel];
        s = static_cast<uint16_t>(nudged(s, 1u << 4, 0xFFFF));
        ASSERT_EQ(TiffWriter::writeTiff(reinterpret_cast<unsigned char*>(image.samples.data()),
                                        image.photometric == PHOTOMETRIC_YCBCR, kEditWidth, kEditHeight, 12, {},
                                        path.c_str()),
                  0);
    };
}

// The 10-bit datum at bits shift + 9 to shift of the 32-bit word at byte `at`
// of the file (this host's byte order, as pm5544 writes).
FileEdit dpxDatum(std::size_t at, int shift)
{
    return [at, shift](const std::string& path) {
        std::string bytes = readFile(path);
        ASSERT_LE(at + 4, bytes.size()) << path;
        uint32_t word = 0;
        std::memcpy(&word, bytes.data() + at, 4);
        const unsigned datum = (word >> shift) & 0x3FF;
        word = (word & ~(0x3FFu << shift)) | (nudged(datum, 1, 0x3FF) << shift);
        std::memcpy(&bytes[at], &word, 4);
        std::ofstream(path, std::ios::binary) << bytes;
    };
}

// Word `index` (file order) of the first sample of the first block of a
// pattern file: the top left of the card, on every line of that block.
FileEdit patternWord(int index)
{
    return [index](const std::string& path) {
        std::string bytes = readFile(path);
        const std::size_t section = kPatternFirstBlock + 4;  // after its line count and section count
        ASSERT_LE(section + 16, bytes.size()) << path;
        const bool literal = bytes[section] == 0 && bytes[section + 1] == 0;
        const std::size_t at = section + (literal ? 4 : 2) + 2 * static_cast<std::size_t>(index);
        const unsigned word = (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
        const unsigned changed = nudged(word, 1, 0xFFF);
        bytes[at] = static_cast<char>(changed >> 8);
        bytes[at + 1] = static_cast<char>(changed & 0xFF);
        std::ofstream(path, std::ios::binary) << bytes;
    };
}

// The largest difference of each column of the row `region`, by the column's
// name in the table's header ("Cr", "Y'", "alpha", ...).
std::map<std::string, double> largestByColumn(const std::string& out, const std::string& region)
{
    auto fields = [](const std::string& line) {
        std::vector<std::string> parts;
        std::istringstream in(line);
        for (std::string part; std::getline(in, part, '|');) parts.push_back(part);
        return parts;
    };
    const std::vector<std::string> names = fields(tableRow(out, "region"));
    const std::vector<std::string> values = fields(tableRow(out, region));
    std::map<std::string, double> largest;
    for (std::size_t i = 1; i < names.size() && i < values.size(); ++i) {
        std::istringstream name(names[i]);
        std::string column;
        name >> column;
        largest[column] = std::atof(values[i].c_str());
    }
    return largest;
}

}  // namespace

TEST(InspectCompare, FindsAChangeInEachComponentOfEveryKindInThatComponentAlone)
{
    const std::size_t dpxPixel = kDpxData + (static_cast<std::size_t>(kEditY) * kEditWidth + kEditX) * 4;
    const std::size_t dpxGroup = kDpxData + static_cast<std::size_t>(kEditY) * (kEditWidth * 16 / 6) + 16 * 8;
    const struct {
        const char* name;
        std::vector<std::string> options;  // pm5544's, and the inspector's
        std::vector<std::pair<const char*, FileEdit>> edits;
    } kinds[] = {
        {"card.png", {}, {{"R'", pngSample(0)}, {"G'", pngSample(1)}, {"B'", pngSample(2)}, {"alpha", pngSample(3)}}},
        {"card.tif", {"-c", "709"}, {{"Y'", tiffSample(0)}, {"Cb", tiffSample(1)}, {"Cr", tiffSample(2)}}},
        {"card.dpx",
         {"-c", "709", "-b", "10"},
         {{"Cr", dpxDatum(dpxPixel, 22)}, {"Y'", dpxDatum(dpxPixel, 12)}, {"Cb", dpxDatum(dpxPixel, 2)}}},
        {"card.dpx",
         {"-c", "709", "-s", "422", "-b", "10"},
         {{"Cr", dpxDatum(dpxGroup, 22)}, {"Y'", dpxDatum(dpxGroup, 12)}, {"Cb", dpxDatum(dpxGroup, 2)}}},
        {"card.pat",
         {"-c", "709", "-s", "422"},
         {{"Cb", patternWord(0)}, {"Y'", patternWord(1)}, {"Cr", patternWord(2)}, {"Y'", patternWord(3)}}},
        {"card.yc4", {"-c", "2020"}, {{"Cr", patternWord(0)}, {"Y'", patternWord(1)}, {"Cb", patternWord(2)}}},
        {"card.rgb", {"-c", "RGB-headroom"}, {{"R'", patternWord(0)}, {"G'", patternWord(1)}, {"B'", patternWord(2)}}},
        {"card.xyz", {"-c", "RGB-headroom"}, {{"X'", patternWord(0)}, {"Y'", patternWord(1)}, {"Z'", patternWord(2)}}},
    };
    const std::string size = std::to_string(kEditWidth) + "x" + std::to_string(kEditHeight);
    for (const auto& kind : kinds) {
        std::vector<std::string> options = {"-d", size};
        options.insert(options.end(), kind.options.begin(), kind.options.end());
        const std::string path = renderWithPm5544(options, kind.name);
        const std::string rendered = readFile(path);
        for (const auto& [column, edit] : kind.edits) {
            const std::string what = std::string(kind.name) + " " + testing::PrintToString(kind.options) + " " + column;
            std::ofstream(path, std::ios::binary) << rendered;
            ASSERT_NO_FATAL_FAILURE(edit(path)) << what;

            const ProgramRun run = inspect(with(with(options, "--compare"), path));
            EXPECT_EQ(run.status, 1) << what << run.err;
            EXPECT_GE(differing(tableRow(run.out, "all")), 1) << what << "\n" << run.out;
            const std::map<std::string, double> largest = largestByColumn(run.out, "all");
            ASSERT_EQ(largest.count(column), 1u) << what << "\n" << run.out;
            for (const auto& [name, value] : largest) {
                EXPECT_EQ(value > 0, name == column) << what << ": column " << name << "\n" << run.out;
            }
            // The tolerance is in codes, whatever the depth the kind stores its samples at (once a kind).
            if (&edit != &kind.edits.front().second) continue;
            for (const unsigned tolerance : {kEditCodes - 1, kEditCodes}) {
                std::vector<std::string> args = with(options, "--compare");
                args.insert(args.end(), {"--tolerance", std::to_string(tolerance), path});
                const ProgramRun tolerant = inspect(args);
                EXPECT_EQ(tolerant.status, tolerance < kEditCodes ? 1 : 0) << what << " within " << tolerance;
                EXPECT_EQ(differing(tableRow(tolerant.out, "all")) > 0, tolerance < kEditCodes)
                    << what << " within " << tolerance << "\n"
                    << tolerant.out;
            }
        }
    }
}
