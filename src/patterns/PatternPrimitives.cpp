#include <cstdarg>

#include "patterns/PatternWrapper.h"
#include "patterns/RampCoefficient.h"
#include "patterns/WrappingArithmetic.h"

namespace {

constexpr int kBlackBar = 7;  // index of black in the colour-bar tables

// Bar edges at equal slices of the total width.
struct EvenEdges {
    int count;
    int totalWidth;
    int k = 0;
    int next()
    {
        const int edge = wrappingMultiply(k, totalWidth) / count;
        ++k;
        return edge;
    }
};

// Bar edges at the running sums of per-bar widths.
struct RunningEdges {
    const int* widths;
    int edge = 0;
    int k = 0;
    int next()
    {
        if (k > 0) {
            edge = wrappingAdd(edge, widths[k - 1]);
        }
        ++k;
        return edge;
    }
};

// The common walk of the bar primitives: each edge is a ramp window from
// edge - before to edge + after - 1, the background shows left of the first
// edge and right of the last. The colours are `count` Pixel pointers.
template <typename Edges>
int drawBars(int x, Pixel& out, int count, Edges edges, const Pixel& background, int before, int after,
             const std::deque<double>& luma, const std::deque<double>& chroma, va_list colours)
{
    const Pixel* previous = &background;
    const Pixel* current = va_arg(colours, Pixel*);
    for (int k = 0;; ++k) {
        const int edge = edges.next();
        if (edge - before <= x && x < edge + after) {
            const int step = x - (edge - before);
            out = current->blend(rampCoefficient(luma, step), rampCoefficient(chroma, step), *previous);
            return 1;
        }
        if (x < edge) {
            out = *previous;
            return 1;
        }
        if (k == count) {
            out = *current;
            return 1;
        }
        previous = current;
        current = k + 1 < count ? va_arg(colours, Pixel*) : &background;
    }
}

}  // namespace

int PatternSpec::bars(int x, Pixel& out, int count, int totalWidth, ...)
{
    if (count <= 0) {
        return 1;
    }
    const int halfRamp = (transitionSize + 1) / 2;
    va_list colours;
    va_start(colours, totalWidth);
    const int result = drawBars(x, out, count, EvenEdges{count, totalWidth}, colours100[kBlackBar], halfRamp, halfRamp,
                                lumaTransition, chromaTransition, colours);
    va_end(colours);
    return result;
}

int PatternSpec::barsLayered(int x, Pixel& out, int count, int totalWidth, ...)
{
    if (count <= 0) {
        return 1;
    }
    const Pixel background = out;
    va_list colours;
    va_start(colours, totalWidth);
    const int result = drawBars(x, out, count, EvenEdges{count, totalWidth}, background, (transitionSize + 1) / 2,
                                (transitionSize - 1) / 2, lumaTransition, chromaTransition, colours);
    va_end(colours);
    return result;
}

int PatternSpec::barsLayered(int x, Pixel& out, int count, int* widths, ...)
{
    if (count <= 0) {
        return 1;
    }
    const Pixel background = out;
    va_list colours;
    va_start(colours, widths);
    const int result = drawBars(x, out, count, RunningEdges{widths}, background, (transitionSize + 1) / 2,
                                (transitionSize - 1) / 2, lumaTransition, chromaTransition, colours);
    va_end(colours);
    return result;
}

Pixel PatternSpec::squareWave(int x, int period, Pixel& a, Pixel& b)
{
    if (period == 0) {
        return b;  // no period: a flat level
    }
    const int n = transitionSize;
    // Offset by half a ramp so that the middle of each ramp falls on the nominal edge.
    const int m = positiveModulo(x + n / 2, period);
    const int half = period / 2;
    if (m < half) {
        if (m >= n) {
            return b;
        }
        return b.blend(rampCoefficient(lumaTransition, m), rampCoefficient(chromaTransition, m), a);
    }
    const int k = m - half;
    if (k >= n) {
        return a;
    }
    return a.blend(rampCoefficient(lumaTransition, k), rampCoefficient(chromaTransition, k), b);
}

namespace {

// Vertical grid lines, measured in units corrected for the pixel aspect. The
// line covers `lineSamples` positions from the start of each pitch; its first
// n samples ramp up, the samples from `fallStart` on ramp down. Returns 0 when
// x is between lines.
int gridVerticalLine(int xs, int ps, int lineSamples, int fallStart, int n, bool hardWhenUnshaped,
                     const std::deque<double>& luma, Pixel& out, const Pixel& lineColour)
{
    if (ps == 0) {
        return 0;
    }
    const int m = positiveModulo(xs - ((ps + 1) / 2 - lineSamples / 2), ps);
    if (m >= lineSamples) {
        return 0;
    }
    if (hardWhenUnshaped && n <= 0) {
        out = lineColour;
    } else if (m < n) {
        const double c = rampCoefficient(luma, m);
        out = lineColour.blend(c, c, out);
    } else if (m < fallStart) {
        out = lineColour;
    } else {
        const double c = rampCoefficient(luma, m - fallStart);
        out = out.blend(c, c, lineColour);
    }
    return 1;
}

}  // namespace

int PatternSpec::grid(int x, int y, int pitch, int lineWidth, Pixel& out, Pixel lineColour) const
{
    if (pitch == 0) {
        return 0;
    }
    // Horizontal lines are lineWidth + 1 lines thick, without ramps.
    const int m = positiveModulo(y - (pitch / 2 - lineWidth / 2), pitch);
    if (m <= lineWidth) {
        out = lineColour;
        return 1;
    }
    return gridVertical(x, y, pitch, lineWidth, out, lineColour);
}

int PatternSpec::gridVertical(int x, int /*y*/, int pitch, int lineWidth, Pixel& out, Pixel lineColour) const
{
    const int n = transitionSize;
    const int pixelDivisor = wrappingMultiply(aspectHeight, width);
    const int xs = wrappingMultiply(height, wrappingMultiply(x, aspectWidth)) / pixelDivisor;
    const int ps = wrappingMultiply(height, wrappingMultiply(pitch, aspectWidth)) / pixelDivisor;
    const int rampSpan = 2 * n - 1;
    const int lineSamples = rampSpan >= 1 ? lineWidth + rampSpan : lineWidth + 1;
    return gridVerticalLine(xs, ps, lineSamples, lineWidth + n - 2, n, true, lumaTransition, out, lineColour);
}

int PatternSpec::gridFlipVphase(int x, int y, int pitch, int lineWidth, Pixel& out, Pixel lineColour)
{
    if (pitch == 0) {
        return 0;
    }
    // The horizontal lines sit in the opposite phase of the pitch to grid's.
    const int m = positiveModulo(y + (pitch / 2 - lineWidth / 2), pitch);
    if (m <= lineWidth) {
        out = lineColour;
        return 1;
    }
    const int n = transitionSize;
    const int pixelDivisor = wrappingMultiply(aspectHeight, width);
    const int xs = wrappingMultiply(height, wrappingMultiply(x, aspectWidth)) / pixelDivisor;
    const int ps = wrappingMultiply(height, wrappingMultiply(pitch, aspectWidth)) / pixelDivisor;
    const int lineSamples = lineWidth + 2 * (n - 1);
    return gridVerticalLine(xs, ps, lineSamples, lineWidth + n - 2, n, false, lumaTransition, out, lineColour);
}
