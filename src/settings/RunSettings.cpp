#include "settings/RunSettings.h"

#include "tools/ColourKeywords.h"

std::string asOptions(const RunSettings& s)
{
    return "-d " + std::to_string(s.width) + "x" + std::to_string(s.height) + " -a " + std::to_string(s.aspectWidth) +
           "x" + std::to_string(s.aspectHeight) + " -c " + ColourKeywords::textOf(s.axes) + " -s " +
           std::to_string(s.sampling) + " -b " + std::to_string(s.bitDepth) + (s.fullRange ? " -fr" : "");
}
