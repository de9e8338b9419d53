#include "inspect/measure/Diagnoses.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>

#include "tools/ColourAxes.h"
#include "tools/ColourMatrices.h"

namespace {

using Codes = std::array<double, MeasureFrame::kPlanes>;  // in plane order: Cr or R', Y' or G', Cb or B'
constexpr int kCr = MeasureFrame::kCrOrR;
constexpr int kY = MeasureFrame::kYOrG;
constexpr int kCb = MeasureFrame::kCbOrB;

// A mistake explains the bars when it leaves at most this share of the differences unexplained...
constexpr double kExplainedShare = 0.25;
// ...and the differences are more than one 8-bit code.
constexpr int kSmallestDepth = 8;

struct LumaWeights {
    double kr;
    double kb;
    const char* name;
};
constexpr LumaWeights k601{ColourMatrices::k601LumaR, ColourMatrices::k601LumaB, "Rec. 601"};
constexpr LumaWeights k709{ColourMatrices::kEncode709.kr, ColourMatrices::kEncode709.kb, "Rec. 709"};
constexpr LumaWeights k2020{ColourMatrices::kEncode2020.kr, ColourMatrices::kEncode2020.kb, "Rec. 2020"};

// The codes of one range: where black lies, and what one nominal unit of luma and of colour difference spans.
struct RangeScale {
    double black;
    double luma;
    double chroma;
};

RangeScale rangeScale(const MeasureCanvas& canvas, bool full)
{
    const double s = std::ldexp(1.0, canvas.bitDepth - 8);
    if (full && canvas.axes == PatternGen::Colour_RGB) return {0, std::ldexp(1.0, canvas.bitDepth) - 1, 0};
    if (full) return {0, 255 * s, 255 * s - 1};
    return {16 * s, 219 * s, 224 * s};
}

Codes changeRange(const Codes& c, const MeasureCanvas& canvas, const RangeScale& from, const RangeScale& to)
{
    Codes out{};
    for (int p = 0; p < MeasureFrame::kPlanes; ++p) {
        const bool chroma = canvas.yCbCr && p != kY;
        out[p] = chroma ? canvas.chromaMid + (c[p] - canvas.chromaMid) / from.chroma * to.chroma
                        : to.black + (c[p] - from.black) / from.luma * to.luma;
    }
    return out;
}

// Y'CbCr codes to R'G'B' (0..1) with one matrix and back with another.
Codes rematrix(const Codes& c, const MeasureCanvas& canvas, const LumaWeights& decode, const LumaWeights& encode)
{
    const RangeScale r = rangeScale(canvas, canvas.fullRange);
    const double y = (c[kY] - r.black) / r.luma;
    const double cb = (c[kCb] - canvas.chromaMid) / r.chroma;
    const double cr = (c[kCr] - canvas.chromaMid) / r.chroma;
    const double red = y + 2 * (1 - decode.kr) * cr;
    const double blue = y + 2 * (1 - decode.kb) * cb;
    const double green = (y - decode.kr * red - decode.kb * blue) / (1 - decode.kr - decode.kb);
    const double y2 = encode.kr * red + (1 - encode.kr - encode.kb) * green + encode.kb * blue;
    Codes out{};
    out[kY] = r.black + y2 * r.luma;
    out[kCb] = canvas.chromaMid + (blue - y2) / (2 * (1 - encode.kb)) * r.chroma;
    out[kCr] = canvas.chromaMid + (red - y2) / (2 * (1 - encode.kr)) * r.chroma;
    return out;
}

struct Mistake {
    std::string name;
    std::function<Codes(const Codes&)> apply;
};

const LumaWeights* matrixOf(PatternGen::colorAxes_e axes)
{
    switch (ColourAxes::factsOf(axes).matrix) {
    case ColourAxes::Matrix::Rec601: return &k601;
    case ColourAxes::Matrix::Rec709: return &k709;
    case ColourAxes::Matrix::Rec2020: return &k2020;
    case ColourAxes::Matrix::None: return nullptr;
    }
    return nullptr;
}

// The matrix a chain most likely confuses with the card's.
const LumaWeights* confusedWith(const LumaWeights* own)
{
    return own == &k709 ? &k601 : &k709;
}

std::vector<Mistake> mistakesFor(const MeasureCanvas& canvas)
{
    std::vector<Mistake> mistakes;
    if (const LumaWeights* own = matrixOf(canvas.axes)) {
        const LumaWeights* other = confusedWith(own);
        const std::string card = std::string("on a ") + own->name + " card";
        mistakes.push_back({std::string("the ") + other->name + " matrix " + card + " (encoded with it)",
                            [=](const Codes& c) { return rematrix(c, canvas, *own, *other); }});
        mistakes.push_back({std::string("the ") + other->name + " matrix " + card + " (decoded with it)",
                            [=](const Codes& c) { return rematrix(c, canvas, *other, *own); }});
        mistakes.push_back({"Cb and Cr swapped", [](const Codes& c) { return Codes{c[kCb], c[kY], c[kCr]}; }});
    }
    const RangeScale own = rangeScale(canvas, canvas.fullRange);
    if (canvas.fullRange) {
        const RangeScale studio = rangeScale(canvas, false);
        mistakes.push_back({"studio-range codes where full-range codes belong",
                            [=](const Codes& c) { return changeRange(c, canvas, own, studio); }});
    } else {
        const RangeScale full = rangeScale(canvas, true);
        mistakes.push_back({"full-range codes where studio-range codes belong",
                            [=](const Codes& c) { return changeRange(c, canvas, own, full); }});
        // The reverse: a chain that took the studio-range codes for full-range
        // ones and squeezed them into the studio range.
        mistakes.push_back({"studio-range codes squeezed as if they were full-range",
                            [=](const Codes& c) { return changeRange(c, canvas, full, own); }});
    }
    return mistakes;
}

Codes inPlaneOrder(const std::array<double, MeasureFrame::kPlanes>& reported, const MeasureCanvas& canvas)
{
    Codes c{};
    for (int i = 0; i < MeasureFrame::kPlanes; ++i) c[static_cast<std::size_t>(canvas.order[i])] = reported[i];
    return c;
}

double unexplained(const ColourBarsMeasure& bars, const MeasureCanvas& canvas,
                   const std::function<Codes(const Codes&)>& mapping)
{
    double sum = 0;
    for (const BarMeasure& bar : bars.bars) {
        const Codes expected = mapping(inPlaneOrder(bar.reference, canvas));
        const Codes measured = inPlaneOrder(bar.measured, canvas);
        for (int p = 0; p < MeasureFrame::kPlanes; ++p)
            sum += (measured[p] - expected[p]) * (measured[p] - expected[p]);
    }
    return std::sqrt(sum / static_cast<double>(bars.bars.size() * MeasureFrame::kPlanes));
}

}  // namespace

std::vector<std::string> diagnose(const ColourBarsMeasure& bars, const MeasureCanvas& canvas)
{
    if (bars.bars.empty()) return {};
    const double none = unexplained(bars, canvas, [](const Codes& c) { return c; });
    if (none <= std::ldexp(1.0, canvas.bitDepth - kSmallestDepth)) return {};
    const Mistake* best = nullptr;
    double bestLeft = none;
    const std::vector<Mistake> mistakes = mistakesFor(canvas);
    for (const Mistake& m : mistakes) {
        const double left = unexplained(bars, canvas, m.apply);
        if (left < bestLeft) {
            bestLeft = left;
            best = &m;
        }
    }
    if (best == nullptr || bestLeft > kExplainedShare * none) return {};
    return {best->name};
}

std::string diagnoseRegistration(const Registration& registration)
{
    if (!registration.correlated() || registration.correlation >= kLeastRegisteredCorrelation) return {};
    char text[320];
    std::snprintf(text, sizeof text,
                  "the capture is not like the card at the shift found (luma correlation %.2f): it is another "
                  "picture, or lies further off than half the correlated window (256 samples and lines at most); "
                  "no figure here describes the chain",
                  registration.correlation);
    return text;
}
