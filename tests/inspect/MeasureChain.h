#pragma once

// Chains of known effect, applied to the card's own codes in memory: what a
// capture of the card through them must measure.

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "inspect/measure/CardReference.h"
#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/MeasureFrame.h"
#include "inspect/measure/Measurement.h"
#include "settings/RunSettings.h"

inline RunSettings canvasOf(int width, int height, PatternGen::colorAxes_e axes, int bitDepth,
                            PatternGen::sampling_e sampling = PatternGen::Sampling_444)
{
    RunSettings s;
    s.width = width;
    s.height = height;
    s.axes = axes;
    s.bitDepth = bitDepth;
    s.sampling = sampling;
    if (height < 600) {  // standard definition, as it is shown: 4:3
        s.aspectWidth = 4;
        s.aspectHeight = 3;
    }
    return s;
}

inline MeasureCanvas measureCanvasOf(const RunSettings& s, const CardReference& card)
{
    return MeasureCanvas::of(s, card.sampleRateHz());
}

inline uint16_t toCode(double v, int bitDepth)
{
    const double top = std::ldexp(1.0, bitDepth) - 1;
    return static_cast<uint16_t>(std::lround(std::min(std::max(v, 0.0), top)));
}

// Every sample of the planes listed through f(plane, x, y, original frame).
inline MeasureFrame mapped(const MeasureFrame& in, const std::vector<int>& planes,
                           const std::function<double(int, int, int, const MeasureFrame&)>& f)
{
    MeasureFrame out = in;
    for (int p : planes) {
        for (int y = 0; y < in.height; ++y) {
            for (int x = 0; x < in.width; ++x) out.at(p, x, y) = toCode(f(p, x, y, in), in.bitDepth);
        }
    }
    return out;
}

inline const std::vector<int> kAllPlanes{MeasureFrame::kCrOrR, MeasureFrame::kYOrG, MeasureFrame::kCbOrB};

// The sample at x, y, the line's ends and the frame's edges repeated outwards.
inline double clampedCode(const MeasureFrame& f, int p, int x, int y)
{
    return f.code(p, std::min(std::max(x, 0), f.width - 1), std::min(std::max(y, 0), f.height - 1));
}

// A horizontal FIR: out[x] = sum over k of taps[k] in[x + lead - k]. Symmetric taps make a filter of known
// delay: the picture moves right by (taps - 1) / 2 - lead samples.
inline MeasureFrame filtered(const MeasureFrame& in, const std::vector<int>& planes, const std::vector<double>& taps,
                             int lead)
{
    return mapped(in, planes, [&](int p, int x, int y, const MeasureFrame& f) {
        double sum = 0;
        for (std::size_t k = 0; k < taps.size(); ++k)
            sum += taps[k] * clampedCode(f, p, x + lead - static_cast<int>(k), y);
        return sum;
    });
}

inline MeasureFrame shifted(const MeasureFrame& in, const std::vector<int>& planes, int dx, int dy)
{
    return mapped(in, planes,
                  [&](int p, int x, int y, const MeasureFrame& f) { return clampedCode(f, p, x - dx, y - dy); });
}

// The same along the columns: the picture moves down by (taps - 1) / 2 - lead lines.
inline MeasureFrame filteredVertically(const MeasureFrame& in, const std::vector<int>& planes,
                                       const std::vector<double>& taps, int lead)
{
    return mapped(in, planes, [&](int p, int x, int y, const MeasureFrame& f) {
        double sum = 0;
        for (std::size_t k = 0; k < taps.size(); ++k)
            sum += taps[k] * clampedCode(f, p, x, y + lead - static_cast<int>(k));
        return sum;
    });
}

// Gaussian noise of standard deviation sigma codes on every plane, rounded back to codes.
inline MeasureFrame noisy(const MeasureFrame& in, double sigma, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    return mapped(in, kAllPlanes,
                  [&](int p, int x, int y, const MeasureFrame& f) { return f.code(p, x, y) + noise(random); });
}
