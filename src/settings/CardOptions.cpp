#include "settings/CardOptions.h"

#include <cstdio>
#include <cstring>

#include "tools/ColourKeywords.h"

namespace {

bool is(const char* arg, const char* option)
{
    return std::strcmp(arg, option) == 0;
}

// "%dx%d": a value without the second number sets only the first.
void readPair(const char* value, std::optional<int>& first, std::optional<int>& second)
{
    int a = 0;
    int b = 0;
    const int n = std::sscanf(value, "%dx%d", &a, &b);
    if (n >= 1) first = a;
    if (n == 2) second = b;
}

std::optional<int> readNumber(const char* value)
{
    int number = 0;
    if (std::sscanf(value, "%d", &number) != 1) return std::nullopt;
    return number;
}

PatternGen::sampling_e samplingOf(int number)
{
    switch (number) {
    case PatternGen::Sampling_422: return PatternGen::Sampling_422;
    case PatternGen::Sampling_420: return PatternGen::Sampling_420;
    default: return PatternGen::Sampling_444;  // any other number
    }
}

}  // namespace

CardOptions::Read CardOptions::read(int argc, char** argv, int& i)
{
    const char* arg = argv[i];
    if (is(arg, "-fr")) {
        fullRange = true;
        return Read::Taken;
    }
    if (!is(arg, "-d") && !is(arg, "-a") && !is(arg, "-c") && !is(arg, "-s") && !is(arg, "-b")) {
        return Read::NotCardOption;
    }
    if (i + 1 >= argc) return Read::Taken;  // nothing to read: ignored
    const char* value = argv[++i];
    if (is(arg, "-d")) {
        readPair(value, width, height);
    } else if (is(arg, "-a")) {
        readPair(value, aspectWidth, aspectHeight);
    } else if (is(arg, "-c")) {
        PatternGen::colorAxes_e found = axes.value_or(PatternGen::Colour_RGB);
        switch (ColourKeywords::find(value, found)) {
        case ColourKeywords::Lookup::Axes: axes = found; break;
        case ColourKeywords::Lookup::Unchanged: break;
        case ColourKeywords::Lookup::Unknown: rejected = value; return Read::Unrecognised;
        }
    } else if (is(arg, "-s")) {
        if (const std::optional<int> number = readNumber(value)) sampling = samplingOf(*number);
    } else if (const std::optional<int> number = readNumber(value)) {
        bitDepth = number;
    }
    return Read::Taken;
}

void CardOptions::applyTo(RunSettings& s) const
{
    s.width = width.value_or(s.width);
    s.height = height.value_or(s.height);
    s.aspectWidth = aspectWidth.value_or(s.aspectWidth);
    s.aspectHeight = aspectHeight.value_or(s.aspectHeight);
    s.axes = axes.value_or(s.axes);
    s.sampling = sampling.value_or(s.sampling);
    s.bitDepth = bitDepth.value_or(s.bitDepth);
    s.fullRange = s.fullRange || fullRange;
}

std::string unrecognisedColourSpace(const char* value)
{
    return std::string("Unrecognised Colour Space ") + value;
}
