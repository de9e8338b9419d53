#include "patterns/PatternWrapper.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "patterns/WrappingArithmetic.h"
#include "tools/ColourAxes.h"

namespace {

constexpr int kBarCount = 8;
constexpr int kFull12 = 4095;  // full scale of a 12-bit code value

// The colour bars as 12-bit full-range R'G'B', in the (G, B, R) order of the
// Pixel constructors: white, yellow, cyan, green, magenta, red, blue, black.
struct GbrTriple {
    int g;
    int b;
    int r;
};
constexpr GbrTriple kBarsRgb[kBarCount] = {
    {kFull12, kFull12, kFull12}, {kFull12, 0, kFull12}, {kFull12, kFull12, 0}, {kFull12, 0, 0},
    {0, kFull12, kFull12},       {0, 0, kFull12},       {0, kFull12, 0},       {0, 0, 0},
};

// 100 % bars as fixed 12-bit Rec. 601 code values (Y', Cb, Cr), used instead
// of converting the R'G'B' bars when the canvas is Rec. 601.
struct YCbCrTriple {
    int y;
    int cb;
    int cr;
};
constexpr YCbCrTriple kBars601[kBarCount] = {
    {3760, 2048, 2048}, {3360, 256, 2336},  {2704, 2656, 256}, {2304, 864, 544},
    {1696, 3232, 3552}, {1296, 1440, 3840}, {640, 3840, 1760}, {256, 2048, 2048},
};

constexpr int kBarsBitDepth = 12;
constexpr int kPercent75 = 75;
constexpr int kPercent100 = 100;

// The sample rate follows the canvas height: SD, HD and UHD clocks.
constexpr int kLastSdHeight = 599;
constexpr int kLastHdHeight = 1089;
constexpr double kSdSampleRate = 13500000.0;
constexpr double kHdSampleRate = 74250000.0;
constexpr double kUhdSampleRate = 148500000.0;

// Strictly inside: a point at exactly the radius is outside.
bool withinRadius(int r, int x, int cx, int y, int cy)
{
    const double dx = static_cast<double>(x) - cx;
    const double dy = static_cast<double>(y) - cy;
    return r > std::sqrt(dx * dx + dy * dy);
}

}  // namespace

PatternSpec::PatternSpec()
{
    for (int i = 0; i < kBarCount; ++i) {
        const GbrTriple& c = kBarsRgb[i];
        colours100[i] = Pixel(c.g, c.b, c.r, PatternGen::Colour_RGB, kBarsBitDepth);
        colours75[i] = colours100[i];
    }
}

PatternSpec::~PatternSpec()
{
    for (unsigned char* layer : layers) {
        delete[] layer;
    }
    for (TextLine* line : textLines) {
        if (line == nullptr) {
            continue;
        }
        for (TextSlug* slug : line->slugs) {
            delete slug;
        }
        delete line;
    }
}

void PatternSpec::getLineRepeats(std::vector<std::pair<int, int>>& repeats)
{
    repeats.clear();
}

const std::vector<Pixel>* PatternSpec::colourTable()
{
    return nullptr;
}

const uint32_t* PatternSpec::indexedLine(int /*y*/)
{
    return nullptr;
}

bool PatternSpec::fullRangeCodes() const
{
    return colourSpace.fullRange || ColourAxes::factsOf(colourSpace.axis).levels == ColourAxes::Levels::AlwaysFull;
}

bool PatternSpec::drawableAt(long long width, long long height, int aspectWidth, int aspectHeight) const
{
    const long long largerAspect = aspectWidth > aspectHeight ? aspectWidth : aspectHeight;
    return saturatingMultiply(saturatingMultiply(width, height), largerAspect) <= INT_MAX;
}

bool PatternSpec::useFullCanvasSize()
{
    return false;
}

bool PatternSpec::init(int width, int height, int aspectWidth, int aspectHeight, PatternGen::colorAxes_e axes,
                       PatternGen::sampling_e sampling, int bitDepth, bool fullRange, PatternGen::quadrant_e quadrant,
                       int commandLineValue, bool skipLineEndShaping, const std::string& fontDirectory)
{
    this->width = width;
    this->height = height;
    this->commandLineValue = commandLineValue;
    this->fontDirectory = fontDirectory;

    // The geometry takes the aspect in lowest terms: every fraction of it is
    // the same number, and smaller factors keep its products inside 32 bits.
    const int common = aspectWidth > 0 && aspectHeight > 0 ? std::gcd(aspectWidth, aspectHeight) : 1;
    this->aspectWidth = aspectWidth / common;
    this->aspectHeight = aspectHeight / common;
    if (quadrant != PatternGen::Quadrant_None) {
        // The whole picture is drawn at twice the output size and one quarter written.
        this->width *= 2;
        this->height *= 2;
    }

    colourSpace = ColourSpace(axes, bitDepth, fullRange);
    this->quadrant = quadrant;
    this->sampling = sampling;
    this->skipLineEndShaping = skipLineEndShaping;

    // The 75 % bars come from the R'G'B' bars still held at this point.
    for (int i = 0; i < kBarCount; ++i) {
        colours75[i] = colours100[i].scale(kPercent75, kPercent100).convertTo(axes);
    }
    for (int i = 0; i < kBarCount; ++i) {
        if (axes == PatternGen::Colour_YCbCr_601) {
            const YCbCrTriple& c = kBars601[i];
            colours100[i] = Pixel(c.y, c.cb, c.cr, PatternGen::Colour_YCbCr_601, kBarsBitDepth);
        } else {
            colours100[i] = colours100[i].convertTo(axes);
        }
    }

    printf("Width x Height: %dx%d\n", this->width, this->height);
    printf("Aspect: %d:%d\n", aspectWidth, aspectHeight);
    const double pixelAspect =
        (static_cast<double>(aspectHeight) * this->width) / (static_cast<double>(aspectWidth) * this->height);
    printf("Pixel aspect: 1:%.3lf\n", pixelAspect);

    calculateTransition(kStandardRiseTimeNs, kStandardClockMHz);
    setup();
    return true;
}

int PatternSpec::heightFraction(int n, int d) const
{
    return wrappingMultiply(height, n) / d;
}

int PatternSpec::widthFraction(int n, int d) const
{
    return wrappingMultiply(width, n) / d;
}

int PatternSpec::aspectAdjustedVertFraction(int n, int d) const
{
    return wrappingMultiply(height, wrappingMultiply(aspectWidth, n)) / wrappingMultiply(aspectHeight, d);
}

int PatternSpec::aspectAdjustedHorizFraction(int n, int d) const
{
    return wrappingMultiply(width, wrappingMultiply(aspectHeight, n)) / wrappingMultiply(aspectWidth, d);
}

int PatternSpec::fractionOf(int v, int n, int d) const
{
    return wrappingMultiply(n, v) / d;
}

bool PatternSpec::insideCircleHeight(int x, int y, int cx, int cy, int r) const
{
    // Horizontal positions are stretched into line units so that the circle is
    // round on the display whatever the pixel aspect.
    const int pixelDivisor = wrappingMultiply(aspectHeight, width);
    const int px = wrappingMultiply(height, wrappingMultiply(x, aspectWidth)) / pixelDivisor;
    const int qc = wrappingMultiply(width, wrappingMultiply(cx, aspectWidth)) / pixelDivisor;
    return withinRadius(r, px, qc, y, cy);
}

PatternSpec::SampleRun PatternSpec::circleRunHeight(int y, int cx, int cy, int r, int first, int end) const
{
    const int pixelDivisor = wrappingMultiply(aspectHeight, width);
    const int qc = wrappingMultiply(width, wrappingMultiply(cx, aspectWidth)) / pixelDivisor;
    const auto inside = [&](int x) { return insideCircleHeight(x, y, cx, cy, r); };
    // The first x at or after `from` (and before `to`) for which `test` holds,
    // when it holds from there on.
    const auto firstWhere = [](int from, int to, const auto& test) {
        while (from < to) {
            const int middle = from + (to - from) / 2;
            if (test(middle)) {
                to = middle;
            } else {
                from = middle + 1;
            }
        }
        return from;
    };
    // The sample stretched nearest the centre, on either side of it: if any
    // sample of the line is inside, one of these two is.
    const int atCentre = firstWhere(first, end, [&](int x) {
        return wrappingMultiply(height, wrappingMultiply(x, aspectWidth)) / pixelDivisor >= qc;
    });
    int seed = end;
    if (atCentre < end && inside(atCentre)) {
        seed = atCentre;
    } else if (atCentre > first && inside(atCentre - 1)) {
        seed = atCentre - 1;
    }
    if (seed == end) return {};
    // Outside up to the run and inside from there to the seed; inside from the
    // seed to the run's end and outside after it.
    const int begin = firstWhere(first, seed, inside);
    const int runEnd = firstWhere(seed + 1, end, [&](int x) { return !inside(x); });
    return {begin, runEnd};
}

bool PatternSpec::insideCircleWidth(int x, int y, int cx, int cy, int r) const
{
    const int lineDivisor = wrappingMultiply(aspectWidth, height);
    const int qy = wrappingMultiply(width, wrappingMultiply(y, aspectHeight)) / lineDivisor;
    const int qc = wrappingMultiply(height, wrappingMultiply(cy, aspectHeight)) / lineDivisor;
    return withinRadius(r, x, cx, qy, qc);
}

double PatternSpec::freqToPixels(double hz) const
{
    double sampleRate = kUhdSampleRate;
    if (height <= kLastSdHeight) {
        sampleRate = kSdSampleRate;
    } else if (height <= kLastHdHeight) {
        sampleRate = kHdSampleRate;
    }
    return sampleRate / hz;
}
