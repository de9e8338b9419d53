#include "inspect/measure/FrequencyResponse.h"

#include <cmath>
#include <vector>

#include "tools/MathConstants.h"

namespace {

constexpr int kFirstGrating = static_cast<int>(CardRegion::Grating1);
constexpr int kNyquistPeriod = 2;
constexpr double kHzPerMHz = 1e6;
constexpr double kDbPerDecade = 20.0;

// The card's vertical geometry: the gratings' band, as fractions of the height.
constexpr int kBandTop = 21;
constexpr int kBandBottom = 105;
constexpr int kBandUnits = 576;

// The amplitude of the sine of period `p` through values[0], values[1]... over n whole periods.
struct SineFit {
    std::vector<double> sines;
    std::vector<double> cosines;
    explicit SineFit(int p) : sines(static_cast<std::size_t>(p)), cosines(static_cast<std::size_t>(p))
    {
        for (int i = 0; i < p; ++i) {
            sines[static_cast<std::size_t>(i)] = std::sin(2.0 * MathConstants::kPi * i / p);
            cosines[static_cast<std::size_t>(i)] = std::cos(2.0 * MathConstants::kPi * i / p);
        }
    }
    template <typename Value>
    double amplitude(int count, Value value) const
    {
        const int p = static_cast<int>(sines.size());
        double s = 0;
        double c = 0;
        for (int i = 0; i < count; ++i) {
            const double v = value(i);
            s += v * sines[static_cast<std::size_t>(i % p)];
            c += v * cosines[static_cast<std::size_t>(i % p)];
        }
        return 2.0 * std::sqrt(s * s + c * c) / count;
    }
};

}  // namespace

std::vector<GratingResponse> measureFrequencyResponse(const MeasureFrame& capture, const MeasureFrame& card,
                                                      const PhilipsPm5544Spec& pattern,
                                                      const Registration& registration, const MeasureCanvas& canvas,
                                                      Clearance clearance)
{
    const WholeShift shift{registration.wholeDx(), registration.wholeDy()};
    std::vector<GratingResponse> responses;
    std::vector<double> captureSum(kGratingRegionCount, 0.0);
    std::vector<double> cardSum(kGratingRegionCount, 0.0);
    std::vector<SineFit> fits;
    for (int k = 0; k < kGratingRegionCount; ++k) {
        GratingResponse r;
        r.grating = k + 1;
        r.periodSamples = static_cast<int>(pattern.freqToPixels(pattern.gratingStartHz + k * pattern.gratingStepHz));
        r.cyclesPerSample = 1.0 / r.periodSamples;
        r.mhz = canvas.sampleRateHz / r.periodSamples / kHzPerMHz;
        responses.push_back(r);
        fits.emplace_back(r.periodSamples);
    }
    const int centreY = pattern.heightFraction(1, 2);
    const int top = centreY + pattern.heightFraction(kBandTop, kBandUnits);
    const int bottom = centreY + pattern.heightFraction(kBandBottom, kBandUnits);
    std::vector<CardRegion> regions;
    for (int y = top; y <= bottom && y < card.height; ++y) {
        const int cy = y + shift.dy;
        if (cy < 0 || cy >= capture.height) continue;
        pattern.regionsOfLine(y, regions);
        int x = 0;
        while (x < card.width) {
            const CardRegion region = regions[static_cast<std::size_t>(x)];
            int end = x + 1;
            while (end < card.width && regions[static_cast<std::size_t>(end)] == region) ++end;
            const int k = static_cast<int>(region) - kFirstGrating;
            const int middle = (x + end) / 2;
            const bool grating = k >= 0 && k < kGratingRegionCount;
            const bool clearAbove = y - clearance.lines >= 0 && pattern.regionOf(middle, y - clearance.lines) == region;
            const bool clearBelow =
                y + clearance.lines < card.height && pattern.regionOf(middle, y + clearance.lines) == region;
            if (grating && clearAbove && clearBelow) {
                const int p = responses[static_cast<std::size_t>(k)].periodSamples;
                const int length = end - x - 2 * clearance.samples;
                const int count = length > 0 ? length / p * p : 0;
                const int first = x + clearance.samples + (length - count) / 2;
                if (count > 0 && first + shift.dx >= 0 && first + count + shift.dx <= capture.width) {
                    const SineFit& fit = fits[static_cast<std::size_t>(k)];
                    cardSum[static_cast<std::size_t>(k)] += count * fit.amplitude(count, [&](int i) {
                        return canvas.luma(card, card.index(first + i, y));
                    });
                    captureSum[static_cast<std::size_t>(k)] += count * fit.amplitude(count, [&](int i) {
                        return canvas.luma(capture, capture.index(first + i + shift.dx, cy));
                    });
                }
            }
            x = end;
        }
    }
    for (int k = 0; k < kGratingRegionCount; ++k) {
        GratingResponse& r = responses[static_cast<std::size_t>(k)];
        if (cardSum[static_cast<std::size_t>(k)] <= 0) {
            r.why = "no whole period of it clear of its ends";
        } else if (r.periodSamples <= kNyquistPeriod && !registration.whole()) {
            r.why = "at half the sample rate, its amplitude depends on the sub-sample shift";
        } else if (captureSum[static_cast<std::size_t>(k)] <= 0) {
            r.why = "the capture holds none of it";
        } else {
            r.measurable = true;
            r.db = kDbPerDecade *
                   std::log10(captureSum[static_cast<std::size_t>(k)] / cardSum[static_cast<std::size_t>(k)]);
        }
    }
    return responses;
}
