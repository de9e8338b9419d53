#include "inspect/CanvasSettings.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "RunSettings.h"
#include "tools/ColourAxes.h"
#include "tools/ColourKeywords.h"
#include "tools/Pixel.h"

namespace {

using namespace RunLimits;  // the limits pm5544 itself renders within

bool is(const char* arg, const char* option)
{
    return std::strcmp(arg, option) == 0;
}

void readPair(const char* value, std::optional<int>& first, std::optional<int>& second)
{
    int a = 0;
    int b = 0;
    const int n = std::sscanf(value, "%dx%d", &a, &b);
    if (n >= 1) first = a;
    if (n == 2) second = b;
}

}  // namespace

CanvasOptions::Parse CanvasOptions::parse(int argc, char** argv, int& i, std::string& error)
{
    const char* arg = argv[i];
    if (is(arg, "-fr")) {
        fullRange = true;
        return Parse::Taken;
    }
    if (!is(arg, "-d") && !is(arg, "-a") && !is(arg, "-c") && !is(arg, "-s") && !is(arg, "-b")) {
        return Parse::NotAnOption;
    }
    // As in pm5544, an option that needs a value but stands last is ignored.
    if (i + 1 >= argc) return Parse::Taken;
    const char* value = argv[++i];
    int number = 0;
    const bool isNumber = std::sscanf(value, "%d", &number) == 1;
    if (is(arg, "-d")) {
        readPair(value, width, height);
    } else if (is(arg, "-a")) {
        std::optional<int> w = aspectWidth;
        std::optional<int> h = aspectHeight;
        readPair(value, w, h);
        aspectWidth = *w;
        aspectHeight = *h;
    } else if (is(arg, "-c")) {
        PatternGen::colorAxes_e found = axes.value_or(PatternGen::Colour_RGB);
        switch (ColourKeywords::find(value, found)) {
        case ColourKeywords::Lookup::Axes: axes = found; break;
        case ColourKeywords::Lookup::Unchanged: break;
        case ColourKeywords::Lookup::Unknown:
            error = std::string("Unrecognised Colour Space ") + value;
            return Parse::Failed;
        }
    } else if (is(arg, "-s")) {
        if (isNumber) {
            sampling = number == 422   ? PatternGen::Sampling_422
                       : number == 420 ? PatternGen::Sampling_420
                                       : PatternGen::Sampling_444;
        }
    } else if (isNumber) {
        bitDepth = number;
    }
    return Parse::Taken;
}

std::string CanvasSettings::refusal() const
{
    if (bitDepth < kMinBitDepth || bitDepth > kMaxBitDepth) {
        return "bit depth " + std::to_string(bitDepth) + " is not supported (use 8 to 16)";
    }
    if (width < kMinWidth || height < 1) {
        return "image size " + std::to_string(width) + "x" + std::to_string(height) + " is not supported";
    }
    if (aspectWidth < 1 || aspectHeight < 1) {
        return "aspect ratio " + std::to_string(aspectWidth) + ":" + std::to_string(aspectHeight) + " is not supported";
    }
    const long long aspectTerm = aspectWidth > aspectHeight ? aspectWidth : aspectHeight;
    if (static_cast<long long>(width) * height * aspectTerm > kMaxGeometryProduct ||
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) > SIZE_MAX / sizeof(Pixel)) {
        return "image size " + std::to_string(width) + "x" + std::to_string(height) + " is too large";
    }
    return "";
}

std::string CanvasSettings::asOptions() const
{
    return "-d " + std::to_string(width) + "x" + std::to_string(height) + " -a " + std::to_string(aspectWidth) + "x" +
           std::to_string(aspectHeight) + " -c " + colourKeyword(axes) + " -s " + std::to_string(sampling) + " -b " +
           std::to_string(bitDepth) + (fullRange ? " -fr" : "");
}

const char* colourKeyword(PatternGen::colorAxes_e axes)
{
    const char* keyword = ColourAxes::factsOf(axes).keyword;
    return keyword != nullptr ? keyword : "?";
}
