// Every kind of file pm5544 writes, read back by pm5544-inspect: the whole
// picture equals the card the library renders for the same settings (those
// the file shows taken from it), and one known sample (the 75 % yellow bar)
// lands in the right components.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InspectRun.h"
#include "writers/writeVantoKeplo.h"

namespace {

struct Case {
    const char* name;
    std::vector<std::string> rendered;  // pm5544's settings
    std::vector<std::string> given;     // the inspector's: the rest it takes from the file or the defaults
    int x;
    int y;
    std::string codes;  // the --at line of the yellow bar
};

// The yellow bar at (188, 120) of a 640x360 card and at (376, 260) of a 1280x720 one.
std::vector<Case> cases()
{
    const std::vector<std::string> small = {"-d", "640x360"};
    auto opts = [](std::vector<std::string> a, std::vector<std::string> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // The X'Y'Z' codes of the R'G'B' yellow (2948, 2948, 512).
    Sample rgb(2948, 2948, 512, 0), xyz;
    XYZColourSpaceConvert(&rgb, &xyz, 1, false);
    const std::string xyzCodes =
        "X' " + std::to_string(xyz.word0) + " Y' " + std::to_string(xyz.word1) + " Z' " + std::to_string(xyz.word2);
    // A PNG shows its size, sampling and bit depth; DPX files their size and sampling; pattern files their
    // size, sampling and Y'CbCr or R'G'B'.
    return {
        {"card.png",
         opts(small, {"-c", "709", "-s", "422", "-b", "10"}),
         {"-c", "709"},
         188,
         120,
         "Cr 543 Y' 674 Cb 176 alpha 1019"},
        {"card.png", opts(small, {"-c", "PQ", "-b", "12"}), {"-c", "PQ"}, 188, 120, ""},
        {"card.tif", opts(small, {"-c", "709"}), {}, 188, 120, "Y' 2694 Cb 704 Cr 2171"},
        {"card.tif", opts(small, {"-c", "RGB-HLG"}), {"-c", "RGB-HLG"}, 188, 120, ""},
        {"card.dpx", opts(small, {"-c", "709", "-b", "10"}), {"-b", "10"}, 188, 120, "Cb 176 Y' 674 Cr 543"},
        {"card.dpx",
         opts(small, {"-c", "709", "-s", "420", "-b", "10"}),
         {"-b", "10"},
         188,
         120,
         "Cb 176 Y' 674 Cr 543"},
        {"card.dpx",
         opts(small, {"-c", "RGB-headroom", "-b", "10"}),
         {"-c", "RGB-headroom", "-b", "10"},
         188,
         120,
         "B' 64 G' 721 R' 721"},
        {"card.pat", {"-d", "1280x720", "-c", "709", "-s", "422"}, {}, 376, 260, "Cb 704 Y' 2694 Cr 2171"},
        {"card.yc4", {"-d", "1280x720", "-c", "2020", "-s", "444"}, {"-c", "2020"}, 376, 260, "Cr 2156 Y' 2728 Cb 704"},
        {"card.yc4", {"-d", "1280x720", "-c", "S-Log3-Live"}, {"-c", "S-Log3-Live"}, 376, 260, ""},
        {"card.rgb", {"-d", "1280x720", "-c", "RGB-headroom"}, {}, 376, 260, "R' 2948 G' 2948 B' 512"},
        {"card.xyz", {"-d", "1280x720", "-c", "RGB-headroom"}, {}, 376, 260, xyzCodes},
    };
}

}  // namespace

TEST(InspectRoundTrip, EveryKindReadsBackAsTheCardItWasRenderedFrom)
{
    for (const Case& c : cases()) {
        const std::string path = renderWithPm5544(c.rendered, c.name);
        const ProgramRun compared = inspect(with(with(c.given, "--compare"), path));
        EXPECT_EQ(compared.status, 0) << c.name << " " << compared.out << compared.err;
        EXPECT_NE(compared.out.find("result: identical"), std::string::npos)
            << c.name << " " << testing::PrintToString(c.rendered) << "\n"
            << compared.out;

        if (c.codes.empty()) continue;
        const ProgramRun at =
            inspect(with(with(with(c.given, "--at"), std::to_string(c.x) + "," + std::to_string(c.y)), path));
        EXPECT_EQ(at.status, 0) << c.name << " " << at.err;
        EXPECT_NE(at.out.find(c.codes), std::string::npos)
            << c.name << " " << testing::PrintToString(c.rendered) << "\n"
            << at.out;
    }
}
