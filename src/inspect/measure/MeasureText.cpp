#include "inspect/measure/MeasureText.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kNothing = 5e-10;

std::string number(double v, const char* format)
{
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// A value as it is shown: what rounding leaves of a difference of nothing shows as 0, not -0.
double shown(double v)
{
    return std::abs(v) < kNothing ? 0.0 : v;
}

void section(std::FILE* out, const char* title)
{
    std::fprintf(out, "\n%s\n", title);
}

void printLevels(std::FILE* out, const Measurement& m)
{
    section(out, ("levels (luma: " + m.canvas.lumaBasis + "; codes)").c_str());
    std::fprintf(out, "  %-14s %10s %10s %11s\n", "level", "reference", "measured", "difference");
    auto row = [&](const std::string& name, const LevelPoint& p) {
        if (!p.found) {
            std::fprintf(out, "  %-14s %10s\n", name.c_str(), "not found");
            return;
        }
        std::fprintf(out, "  %-14s %10.2f %10.2f %+11.2f\n", name.c_str(), p.reference, p.measured,
                     p.measured - p.reference);
    };
    row("black", m.levels.black);
    row("white", m.levels.white);
    for (std::size_t i = 0; i < m.levels.greyScale.size(); ++i) {
        row("grey step " + std::to_string(i + 1), m.levels.greyScale[i]);
    }
    if (!m.levels.fitted) {
        std::fprintf(out, "  fit: not measured (fewer than two grey steps in the picture)\n");
    } else {
        std::fprintf(out, "  fit: measured = %.5f x reference %+.2f codes; largest step deviation %+.2f codes\n",
                     m.levels.gain, shown(m.levels.offset), shown(m.levels.largestStepDeviation));
    }
    std::fprintf(out, "  clipped %s samples: %lld at the lowest legal code, %lld at the highest\n",
                 m.canvas.yCbCr ? "Y'" : "R'G'B'", m.levels.clippedLow, m.levels.clippedHigh);
}

void printBars(std::FILE* out, const Measurement& m)
{
    section(out, "colour bars (75 %; codes)");
    const auto& l = m.canvas.labels;
    std::fprintf(out, "  %-8s | %7s %7s %7s | %8s %8s %8s | %7s %7s %7s | %11s %9s\n", "bar", l[0], l[1], l[2],
                 "measured", "", "", "error", "", "", "chroma gain", "phase deg");
    for (const BarMeasure& b : m.bars.bars) {
        std::fprintf(out, "  %-8s | %7.1f %7.1f %7.1f | %8.2f %8.2f %8.2f | %+7.2f %+7.2f %+7.2f | %11.4f %+9.2f\n",
                     b.name.c_str(), b.reference[0], b.reference[1], b.reference[2], b.measured[0], b.measured[1],
                     b.measured[2], b.measured[0] - b.reference[0], b.measured[1] - b.reference[1],
                     b.measured[2] - b.reference[2], b.chromaGain, shown(b.chromaPhaseDeg));
    }
    if (m.bars.bars.empty()) {
        std::fprintf(out, "  not measured (no bar in the picture)\n");
        return;
    }
    std::fprintf(out, "  chroma: gain %.4f, phase %+.2f deg\n", m.bars.chromaGain, shown(m.bars.chromaPhaseDeg));
}

void printResponse(std::FILE* out, const Measurement& m)
{
    section(out, "frequency response (luma, capture over card)");
    std::fprintf(out, "  %-7s %14s %13s %8s %11s\n", "grating", "period samples", "cycles/sample", "MHz",
                 "response dB");
    for (const GratingResponse& g : m.frequencyResponse) {
        std::fprintf(out, "  %-7d %14d %13.4f %8.3f ", g.grating, g.periodSamples, g.cyclesPerSample, g.mhz);
        if (g.measurable) {
            std::fprintf(out, "%+11.3f\n", shown(g.db));
        } else {
            std::fprintf(out, "%11s (%s)\n", "-", g.why);
        }
    }
}

void printDelay(std::FILE* out, const Measurement& m)
{
    section(out, "chroma-luma delay (colour-bar edges; > 0: chroma later)");
    for (std::size_t c = 0; c < m.chromaDelay.samples.size(); ++c) {
        if (!m.chromaDelay.measured[c]) {
            std::fprintf(out, "  %-3s not measured (no bar edge large enough)\n", m.canvas.chromaLabels[c]);
            continue;
        }
        std::fprintf(out, "  %-3s %+8.3f samples %+9.2f ns  (%d edge%s)\n", m.canvas.chromaLabels[c],
                     shown(m.chromaDelay.samples[c]), shown(m.chromaDelay.ns[c]), m.chromaDelay.edges[c],
                     m.chromaDelay.edges[c] == 1 ? "" : "s");
    }
}

void printNoise(std::FILE* out, const Measurement& m)
{
    section(out, "noise (flat areas, each area's mean difference taken off)");
    if (!m.noise.measured()) {
        std::fprintf(out, "  not measured (no flat area in the picture)\n");
        return;
    }
    for (int i = 0; i < MeasureFrame::kPlanes; ++i) {
        std::fprintf(out, "  %-3s %8.3f codes rms\n", m.canvas.labels[static_cast<std::size_t>(i)], m.noise.rms[i]);
    }
    std::fprintf(out, "  SNR %s dB (luma against the black-to-white span); quantisation floor %.1f dB: %s\n",
                 number(m.noise.snrDb, "%.2f").c_str(), m.noise.floorDb,
                 m.noise.atFloor ? "at the quantisation floor" : "above the quantisation floor");
}

void printPsnr(std::FILE* out, const Measurement& m)
{
    section(out, "PSNR (whole frame, not registered)");
    for (int i = 0; i < MeasureFrame::kPlanes; ++i) {
        std::fprintf(out, "  %-3s %s dB\n", m.canvas.labels[static_cast<std::size_t>(i)],
                     number(m.psnrDb[i], "%.2f").c_str());
    }
}

void printLimits(std::FILE* out, const MeasureReport& r)
{
    section(out, "limits");
    for (const LimitCheck& c : r.checks) {
        std::fprintf(out, "  %-26s %-10s %12s %-7s in [%s, %s]  %s\n", c.name.c_str(), c.what.c_str(),
                     number(shown(c.value), "%+.3f").c_str(), c.unit.c_str(), number(c.low, "%g").c_str(),
                     number(c.high, "%g").c_str(), c.passed ? "pass" : "FAIL");
    }
}

}  // namespace

void printMeasureText(std::FILE* out, const MeasureReport& r)
{
    const Measurement& m = r.measurement;
    std::fprintf(out, "measure %s against the card rendered with %s\n", r.file.c_str(), r.settings.c_str());
    if (!r.note.empty()) std::fprintf(out, "note: %s\n", r.note.c_str());
    section(out, "registration (capture against card; > 0: right, down)");
    std::fprintf(out, "  dx %+9.3f samples\n  dy %+9.3f lines\n", m.registration.dx, m.registration.dy);
    if (m.registration.correlated()) {
        std::fprintf(out, "  luma correlation at that shift %.4f\n", m.registration.correlation);
    } else {
        std::fprintf(out, "  luma correlation at that shift: not measured (the card is one level there)\n");
    }
    printLevels(out, m);
    printBars(out, m);
    section(out, "diagnoses");
    if (m.diagnoses.empty()) std::fprintf(out, "  none\n");
    for (const std::string& d : m.diagnoses) std::fprintf(out, "  %s\n", d.c_str());
    printResponse(out, m);
    printDelay(out, m);
    printNoise(out, m);
    printPsnr(out, m);
    printLimits(out, r);
    const std::size_t failed = static_cast<std::size_t>(
        std::count_if(r.checks.begin(), r.checks.end(), [](const LimitCheck& c) { return !c.passed; }));
    if (failed == 0) {
        std::fprintf(out, "result: all %zu values within their limits\n", r.checks.size());
    } else {
        std::fprintf(out, "result: %zu of %zu values outside their limits\n", failed, r.checks.size());
    }
}
