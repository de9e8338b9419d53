#include <cmath>

#include "patterns/PatternWrapper.h"
#include "patterns/RampCoefficient.h"
#include "tools/MathConstants.h"

namespace {

// π − 2·arccos(0.6): the phase over which a raised-cosine step climbs from
// 20 % to 80 %. Dividing the rise time by it (and multiplying by π) gives the
// duration of the whole step.
constexpr double kRaisedCosine20To80Phase = 1.2870022175865685;
constexpr double kNanosecondsPerMicrosecond = 1000.0;
using MathConstants::kPi;

// Chroma of 4:2:2 and 4:2:0 is sampled at half the luma clock.
constexpr double kChromaClockRatio = 0.5;

// A line drawn by vertLineAt mixes evenly into the background at its sides.
constexpr double kEvenMix = 0.5;

}  // namespace

void PatternSpec::calculateTransition(std::deque<double>& table, double riseTimeNs, double clockMHz)
{
    const double stepDuration = riseTimeNs * kPi / kRaisedCosine20To80Phase;
    const double samplePeriod = (1 / clockMHz) * kNanosecondsPerMicrosecond;
    const double samplesInStep = std::floor(stepDuration / samplePeriod);

    table.clear();

    // Sample the step every period on both sides of its midpoint; an odd count
    // puts one sample on the midpoint itself.
    double t;
    // A negative rise time gives a negative count, whose remainder is -1 when odd.
    if (std::fabs(std::fmod(samplesInStep, 2.0)) == 1.0) {
        table.push_back((1 - std::cos(kPi / 2)) / 2);
        t = stepDuration / 2 - samplePeriod;
    } else {
        t = stepDuration / 2 - samplePeriod / 2;
    }
    while (t > 0) {
        const double c = (1 - std::cos(t * kPi / stepDuration)) / 2;
        table.push_front(c);
        table.push_back(1 - c);
        t = t - samplePeriod;
    }
}

void PatternSpec::calculateTransition(double riseTimeNs, double clockMHz)
{
    if (riseTimeNs == 0.0) {
        riseTimeEnabled = false;
        transitionSize = 0;
        return;
    }
    riseTimeEnabled = true;
    calculateTransition(lumaTransition, riseTimeNs, clockMHz);
    transitionSize = static_cast<int>(lumaTransition.size());

    if (sampling == PatternGen::Sampling_444) {
        chromaTransition = lumaTransition;
    } else {
        std::deque<double> halfClockTable;
        calculateTransition(halfClockTable, riseTimeNs, clockMHz * kChromaClockRatio);
        chromaTransition = halfClockTable;
    }
}

void PatternSpec::noRiseTime()
{
    riseTimeEnabled = false;
}

// A step past a table's end (4:2:2 chroma has fewer steps than luma) takes
// the ramp as complete rather than reading beyond the table.
void PatternSpec::edge(Pixel& current, int steps, Pixel target, int i)
{
    if (i >= steps) {
        current = target;
        return;
    }
    current = target.blend(rampCoefficient(lumaTransition, i), rampCoefficient(chromaTransition, i), current);
}

void PatternSpec::edgeInv(Pixel& current, int steps, Pixel target, int i)
{
    if (i >= steps) {
        current = target;
        return;
    }
    current = target.blend(1 - rampCoefficient(lumaTransition, i), 1 - rampCoefficient(chromaTransition, i), current);
}

bool PatternSpec::vertLineAt(int position, int x, int lineWidth, Pixel left, Pixel line, Pixel right, Pixel& out)
{
    if (riseTimeEnabled) {
        // Subsampled chroma needs one more sample on each side to settle.
        const int reach = sampling == PatternGen::Sampling_444 ? (lineWidth + 3) / 2 : (lineWidth + 5) / 2;
        const int core = (lineWidth + 1) / 2;
        if (x <= position - reach || x >= position + reach) {
            return false;
        }
        if (position - core < x && x < position + core) {
            out = line;
        } else {
            out = line.blend(kEvenMix, kEvenMix, x < position ? left : right);
        }
        return true;
    }

    // A hard line of lineWidth samples centred on position; an even width
    // puts its extra sample on the right.
    const int first = position - (lineWidth - 1) / 2;
    const int last = first + lineWidth - 1;
    if (x < first || x > last) {
        return false;
    }
    out = line;
    return true;
}
