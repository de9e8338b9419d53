#include "tools/ColourKeywords.h"

#include <cstdio>
#include <cstring>

#include "tools/ColourAxes.h"

namespace ColourKeywords {

namespace {

constexpr Keyword keywordOf(PatternGen::colorAxes_e axes)
{
    return {ColourAxes::factsOf(axes).keyword, axes, ColourAxes::factsOf(axes).keywordNumber};
}

}  // namespace

// The words first, then the numbers; every axes value once.
constexpr Keyword kTable[] = {
    keywordOf(PatternGen::Colour_RGB),
    keywordOf(PatternGen::Colour_RGB_219),
    keywordOf(PatternGen::Colour_YCbCr_HLG),
    keywordOf(PatternGen::Colour_YCbCr_HLG_Mapped),
    keywordOf(PatternGen::Colour_YCbCr_PQ),
    keywordOf(PatternGen::Colour_YCbCr_PQ_Mapped),
    keywordOf(PatternGen::Colour_YCbCr_SLog3),
    keywordOf(PatternGen::Colour_YCbCr_SLog3_Mapped),
    keywordOf(PatternGen::Colour_YCbCr_SLog3_Live),
    keywordOf(PatternGen::Colour_YCbCr_SLog3_Live_Mapped),
    keywordOf(PatternGen::Colour_RGB_HLG),
    keywordOf(PatternGen::Colour_RGB_HLG_Mapped),
    keywordOf(PatternGen::Colour_RGB_PQ),
    keywordOf(PatternGen::Colour_RGB_PQ_Mapped),
    keywordOf(PatternGen::Colour_RGB_SLog3),
    keywordOf(PatternGen::Colour_RGB_SLog3_Mapped),
    keywordOf(PatternGen::Colour_RGB_SLog3_Live),
    keywordOf(PatternGen::Colour_RGB_SLog3_Live_Mapped),
    keywordOf(PatternGen::Colour_YCbCr_601),
    keywordOf(PatternGen::Colour_YCbCr_709),
    keywordOf(PatternGen::Colour_YCbCr_2020),
};
constexpr std::size_t kCount = sizeof kTable / sizeof kTable[0];

namespace {

constexpr bool everyAxesOnce()
{
    for (int axes = 0; axes < PatternGen::Colour_Axes_Count; ++axes) {
        int found = 0;
        for (const Keyword& k : kTable) found += k.axes == axes ? 1 : 0;
        if (found != 1) return false;
    }
    return kCount == PatternGen::Colour_Axes_Count;
}

static_assert(everyAxesOnce(), "every axes value has one keyword");

}  // namespace

Lookup find(const char* value, PatternGen::colorAxes_e& axes)
{
    for (const Keyword& k : kTable) {
        if (k.number == 0 && std::strcmp(value, k.text) == 0) {
            axes = k.axes;
            return Lookup::Axes;
        }
    }
    int number = 0;
    if (std::sscanf(value, "%d", &number) != 1) {
        return value[0] == '\0' ? Lookup::Unchanged : Lookup::Unknown;
    }
    for (const Keyword& k : kTable) {
        if (k.number != 0 && k.number == number) {
            axes = k.axes;
            return Lookup::Axes;
        }
    }
    return Lookup::Unchanged;
}

const char* textOf(PatternGen::colorAxes_e axes)
{
    const char* keyword = ColourAxes::factsOf(axes).keyword;
    return keyword != nullptr ? keyword : "?";
}

}  // namespace ColourKeywords
