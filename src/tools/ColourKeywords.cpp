#include "tools/ColourKeywords.h"

#include <cstdio>
#include <cstring>

namespace ColourKeywords {

const Keyword kTable[] = {
    {"RGB", PatternGen::Colour_RGB, 0},
    {"RGB-headroom", PatternGen::Colour_RGB_219, 0},
    {"HLG", PatternGen::Colour_YCbCr_HLG, 0},
    {"HLG-Mapped", PatternGen::Colour_YCbCr_HLG_Mapped, 0},
    {"PQ", PatternGen::Colour_YCbCr_PQ, 0},
    {"PQ-Mapped", PatternGen::Colour_YCbCr_PQ_Mapped, 0},
    {"S-Log3", PatternGen::Colour_YCbCr_SLog3, 0},
    {"S-Log3-Mapped", PatternGen::Colour_YCbCr_SLog3_Mapped, 0},
    {"S-Log3-Live", PatternGen::Colour_YCbCr_SLog3_Live, 0},
    {"S-Log3-Live-Mapped", PatternGen::Colour_YCbCr_SLog3_Live_Mapped, 0},
    {"RGB-HLG", PatternGen::Colour_RGB_HLG, 0},
    {"RGB-HLG-Mapped", PatternGen::Colour_RGB_HLG_Mapped, 0},
    {"RGB-PQ", PatternGen::Colour_RGB_PQ, 0},
    {"RGB-PQ-Mapped", PatternGen::Colour_RGB_PQ_Mapped, 0},
    {"RGB-S-Log3", PatternGen::Colour_RGB_SLog3, 0},
    {"RGB-S-Log3-Mapped", PatternGen::Colour_RGB_SLog3_Mapped, 0},
    {"RGB-S-Log3-Live", PatternGen::Colour_RGB_SLog3_Live, 0},
    {"RGB-S-Log3-Live-Mapped", PatternGen::Colour_RGB_SLog3_Live_Mapped, 0},
    {"601", PatternGen::Colour_YCbCr_601, 601},
    {"709", PatternGen::Colour_YCbCr_709, 709},
    {"2020", PatternGen::Colour_YCbCr_2020, 2020},
};
const std::size_t kCount = sizeof kTable / sizeof kTable[0];

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

}  // namespace ColourKeywords
