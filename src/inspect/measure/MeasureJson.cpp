#include "inspect/measure/MeasureJson.h"

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::ordered_json;

constexpr int kIndent = 2;

json finiteOrNull(double v)
{
    return std::isfinite(v) ? json(v) : json(nullptr);
}

json codes(const std::array<double, MeasureFrame::kPlanes>& values)
{
    return json::array({values[0], values[1], values[2]});
}

json levelsOf(const LevelsMeasure& l)
{
    auto point = [](const LevelPoint& p) {
        return p.found ? json{{"reference", p.reference}, {"measured", p.measured}} : json(nullptr);
    };
    json steps = json::array();
    for (const LevelPoint& p : l.greyScale) steps.push_back(point(p));
    const auto fitted = [&](double v) { return l.fitted ? json(v) : json(nullptr); };
    return {{"gain", fitted(l.gain)},
            {"offset", fitted(l.offset)},
            {"black", point(l.black)},
            {"white", point(l.white)},
            {"grey_scale", steps},
            {"largest_step_deviation", fitted(l.largestStepDeviation)},
            {"clipped", l.clippedLow + l.clippedHigh},
            {"clipped_low", l.clippedLow},
            {"clipped_high", l.clippedHigh}};
}

}  // namespace

std::string measureJson(const MeasureReport& r)
{
    const Measurement& m = r.measurement;
    const MeasureCanvas& canvas = m.canvas;
    json out;
    out["file"] = r.file;
    out["card"] = r.settings;
    out["note"] = r.note.empty() ? json(nullptr) : json(r.note);
    out["components"] = json::array({canvas.names[0], canvas.names[1], canvas.names[2]});
    out["registration"] = {{"dx", m.registration.dx},
                           {"dy", m.registration.dy},
                           {"correlation", finiteOrNull(m.registration.correlation)}};
    out["levels"] = levelsOf(m.levels);
    json bars = json::array();
    for (const BarMeasure& b : m.bars.bars) {
        bars.push_back({{"name", b.name},
                        {"reference", codes(b.reference)},
                        {"measured", codes(b.measured)},
                        {"chroma_gain", b.chromaGain},
                        {"chroma_phase_deg", b.chromaPhaseDeg}});
    }
    out["bars"] = bars;
    const bool barsFound = !m.bars.bars.empty();
    out["chroma"] = {{"gain", barsFound ? json(m.bars.chromaGain) : json(nullptr)},
                     {"phase_deg", barsFound ? json(m.bars.chromaPhaseDeg) : json(nullptr)}};
    json response = json::array();
    for (const GratingResponse& g : m.frequencyResponse) {
        response.push_back({{"grating", g.grating},
                            {"period_samples", g.periodSamples},
                            {"cycles_per_sample", g.cyclesPerSample},
                            {"mhz", g.mhz},
                            {"db", g.measurable ? json(g.db) : json(nullptr)}});
    }
    out["frequency_response"] = response;
    json delay = json::object();
    for (std::size_t c = 0; c < m.chromaDelay.samples.size(); ++c) {
        const bool measured = m.chromaDelay.measured[c];
        delay[std::string(canvas.chromaNames[c]) + "_samples"] =
            measured ? json(m.chromaDelay.samples[c]) : json(nullptr);
        delay[std::string(canvas.chromaNames[c]) + "_ns"] = measured ? json(m.chromaDelay.ns[c]) : json(nullptr);
    }
    out["chroma_delay"] = delay;
    json noise = json::object();
    json psnr = json::object();
    for (std::size_t i = 0; i < canvas.names.size(); ++i) {
        noise[std::string(canvas.names[i]) + "_rms"] = m.noise.measured() ? json(m.noise.rms[i]) : json(nullptr);
        psnr[canvas.names[i]] = finiteOrNull(m.psnrDb[i]);
    }
    noise["snr_db"] = m.noise.measured() ? finiteOrNull(m.noise.snrDb) : json(nullptr);
    noise["quantisation_floor_db"] = m.noise.floorDb;
    noise["at_floor"] = m.noise.atFloor;
    out["noise"] = noise;
    out["psnr_db"] = psnr;
    out["diagnoses"] = m.diagnoses;
    json checks = json::array();
    for (const LimitCheck& c : r.checks) {
        checks.push_back({{"name", c.name},
                          {"value_of", c.what},
                          {"value", finiteOrNull(c.value)},
                          {"unit", c.unit},
                          {"low", finiteOrNull(c.low)},
                          {"high", finiteOrNull(c.high)},
                          {"passed", c.passed}});
    }
    out["limits"] = {{"passed", r.passed()}, {"failed", r.failedNames()}, {"checks", checks}};
    return out.dump(kIndent) + "\n";
}
