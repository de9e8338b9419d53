// The rows of the axes table hang together, and the -c keywords and the names
// answer for every axes value.
#include "tools/ColourAxes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "tools/ColourKeywords.h"
#include "tools/ColourSpace.h"

using namespace PatternGen;
using ColourAxes::Transfer;

TEST(ColourAxes, HdrSignalsComeInPairsOfRgbAndYCbCrForms)
{
    for (const ColourAxes::Facts& f : ColourAxes::kTable) {
        SCOPED_TRACE(f.name);
        const ColourSpace space(f.axes, 10, false);
        EXPECT_NE(space.isColourDifference(), space.colourIsRGB());
        EXPECT_EQ(space.colourIsHDR(), f.transfer != Transfer::None);
        EXPECT_TRUE(space.colourIsIn2020() || !space.colourIsHDR());
        EXPECT_TRUE(f.transfer == Transfer::SLog3 || !f.live);
        if (!space.colourIsHDR()) {
            EXPECT_EQ(f.partner, Colour_Axes_Count);
            EXPECT_FALSE(f.mapped);
            continue;
        }
        const ColourAxes::Facts& partner = ColourAxes::factsOf(f.partner);
        EXPECT_EQ(partner.partner, f.axes);
        EXPECT_NE(partner.components, f.components);
        EXPECT_EQ(std::make_tuple(partner.transfer, partner.mapped, partner.live, partner.hdr, partner.in2020),
                  std::make_tuple(f.transfer, f.mapped, f.live, f.hdr, f.in2020));
    }
}

// The axes value, its enumerator's name and its keyword.
#define AXES(value) value, #value

TEST(ColourKeywords, EveryAxesValueHasOneKeywordTriedInThisOrder)
{
    const struct {
        colorAxes_e axes;
        const char* name;
        const char* keyword;
    } expected[] = {{AXES(Colour_RGB), "RGB"},
                    {AXES(Colour_RGB_219), "RGB-headroom"},
                    {AXES(Colour_YCbCr_HLG), "HLG"},
                    {AXES(Colour_YCbCr_HLG_Mapped), "HLG-Mapped"},
                    {AXES(Colour_YCbCr_PQ), "PQ"},
                    {AXES(Colour_YCbCr_PQ_Mapped), "PQ-Mapped"},
                    {AXES(Colour_YCbCr_SLog3), "S-Log3"},
                    {AXES(Colour_YCbCr_SLog3_Mapped), "S-Log3-Mapped"},
                    {AXES(Colour_YCbCr_SLog3_Live), "S-Log3-Live"},
                    {AXES(Colour_YCbCr_SLog3_Live_Mapped), "S-Log3-Live-Mapped"},
                    {AXES(Colour_RGB_HLG), "RGB-HLG"},
                    {AXES(Colour_RGB_HLG_Mapped), "RGB-HLG-Mapped"},
                    {AXES(Colour_RGB_PQ), "RGB-PQ"},
                    {AXES(Colour_RGB_PQ_Mapped), "RGB-PQ-Mapped"},
                    {AXES(Colour_RGB_SLog3), "RGB-S-Log3"},
                    {AXES(Colour_RGB_SLog3_Mapped), "RGB-S-Log3-Mapped"},
                    {AXES(Colour_RGB_SLog3_Live), "RGB-S-Log3-Live"},
                    {AXES(Colour_RGB_SLog3_Live_Mapped), "RGB-S-Log3-Live-Mapped"},
                    {AXES(Colour_YCbCr_601), "601"},
                    {AXES(Colour_YCbCr_709), "709"},
                    {AXES(Colour_YCbCr_2020), "2020"}};
    ASSERT_EQ(ColourKeywords::kCount, std::size(expected));
    for (std::size_t i = 0; i < ColourKeywords::kCount; ++i) {
        const auto& e = expected[i];
        colorAxes_e found = Colour_Axes_Count;
        EXPECT_EQ(ColourKeywords::find(e.keyword, found), ColourKeywords::Lookup::Axes) << e.keyword;
        EXPECT_EQ(std::make_tuple(ColourKeywords::kTable[i].text, found, axisToString(e.axes)),
                  std::make_tuple(std::string(e.keyword), e.axes, std::string(e.name)));
    }
}

TEST(ColourKeywords, WordsExactlyAndNumbersByTheirValue)
{
    using Lookup = ColourKeywords::Lookup;
    const struct {
        const char* value;
        Lookup lookup;
        colorAxes_e axes;  // from Colour_YCbCr_709
    } cases[] = {
        {"601", Lookup::Axes, Colour_YCbCr_601},       {"2020x", Lookup::Axes, Colour_YCbCr_2020},
        {" 601", Lookup::Axes, Colour_YCbCr_601},      {"2021", Lookup::Unchanged, Colour_YCbCr_709},
        {"-709", Lookup::Unchanged, Colour_YCbCr_709}, {"", Lookup::Unchanged, Colour_YCbCr_709},
        {"rgb", Lookup::Unknown, Colour_YCbCr_709},    {"S-Log3-live", Lookup::Unknown, Colour_YCbCr_709},
        {"PQ ", Lookup::Unknown, Colour_YCbCr_709},
    };
    for (const auto& c : cases) {
        colorAxes_e axes = Colour_YCbCr_709;
        EXPECT_EQ(ColourKeywords::find(c.value, axes), c.lookup) << '"' << c.value << '"';
        EXPECT_EQ(axes, c.axes) << '"' << c.value << '"';
    }
}

TEST(ColourAxes, ValuesOutsideTheEnumerationHaveNoFacts)
{
    colorAxes_e negative;  // the stored integer -1, never converted to the enumeration
    const int minusOne = -1;
    std::memcpy(&negative, &minusOne, sizeof negative);
    EXPECT_STREQ(axisToString(negative), "undefined");
    const ColourSpace outside(Colour_Axes_Count, 10, false);
    EXPECT_STREQ(axisToString(Colour_Axes_Count), "undefined");
    EXPECT_FALSE(outside.isColourDifference() || outside.colourIsRGB() || outside.colourIsHDR() ||
                 outside.colourIsIn2020());
    EXPECT_EQ(std::make_tuple(outside.blackLevel, outside.whiteLevel, outside.gammaType), std::make_tuple(64, 940, 1));
}
