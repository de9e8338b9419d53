#include "inspect/measure/MeasureLimits.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

constexpr double kPercent = 100.0;
constexpr double kInf = std::numeric_limits<double>::infinity();

using Values = std::vector<std::pair<std::string, double>>;

// Every name a limit may have: its unit, what it holds and how its values are read from a measurement.
struct LimitName {
    const char* name;
    const char* unit;
    const char* holds;
    std::function<Values(const Measurement&)> values;
};

std::string componentLabel(const Measurement& m, int i)
{
    return m.canvas.labels[static_cast<std::size_t>(i)];
}

const std::vector<LimitName>& limitNames()
{
    static const std::vector<LimitName> names = {
        {"registration_samples", "samples", "the shift dx and dy",
         [](const Measurement& m) {
             return Values{{"dx", m.registration.dx}, {"dy", m.registration.dy}};
         }},
        {"registration_correlation", "", "the luma correlation of card and capture at the shift found",
         [](const Measurement& m) {
             return m.registration.correlated() ? Values{{"", m.registration.correlation}} : Values{};
         }},
        {"luma_gain_percent", "%", "(gain - 1) x 100 of the grey-scale fit",
         [](const Measurement& m) {
             return m.levels.fitted ? Values{{"", (m.levels.gain - 1) * kPercent}} : Values{};
         }},
        {"luma_offset_codes", "codes", "the offset of the grey-scale fit",
         [](const Measurement& m) {
             return m.levels.fitted ? Values{{"", m.levels.offset}} : Values{};
         }},
        {"grey_step_deviation_codes", "codes", "the largest grey step's deviation from the fit",
         [](const Measurement& m) {
             return m.levels.fitted ? Values{{"", m.levels.largestStepDeviation}} : Values{};
         }},
        {"chroma_gain_percent", "%", "(chroma gain - 1) x 100 over the colour bars",
         [](const Measurement& m) {
             return m.bars.bars.empty() ? Values{} : Values{{"", (m.bars.chromaGain - 1) * kPercent}};
         }},
        {"chroma_phase_deg", "deg", "the chroma phase over the colour bars",
         [](const Measurement& m) {
             return m.bars.bars.empty() ? Values{} : Values{{"", m.bars.chromaPhaseDeg}};
         }},
        {"frequency_response_db", "dB", "each measurable grating's response",
         [](const Measurement& m) {
             Values v;
             for (const GratingResponse& g : m.frequencyResponse) {
                 if (g.measurable) v.push_back({"grating " + std::to_string(g.grating), g.db});
             }
             return v;
         }},
        {"chroma_delay_ns", "ns", "each colour difference's delay against luma",
         [](const Measurement& m) {
             Values v;
             for (std::size_t c = 0; c < m.chromaDelay.ns.size(); ++c) {
                 if (m.chromaDelay.measured[c]) v.push_back({m.canvas.chromaLabels[c], m.chromaDelay.ns[c]});
             }
             return v;
         }},
        {"noise_rms_codes", "codes", "each component's noise",
         [](const Measurement& m) {
             Values v;
             for (int i = 0; i < MeasureFrame::kPlanes && m.noise.measured(); ++i)
                 v.push_back({componentLabel(m, i), m.noise.rms[i]});
             return v;
         }},
        {"snr_db", "dB", "the luma signal-to-noise ratio",
         [](const Measurement& m) {
             return m.noise.measured() ? Values{{"", m.noise.snrDb}} : Values{};
         }},
        {"psnr_db", "dB", "each component's PSNR",
         [](const Measurement& m) {
             Values v;
             for (int i = 0; i < MeasureFrame::kPlanes; ++i) v.push_back({componentLabel(m, i), m.psnrDb[i]});
             return v;
         }},
    };
    return names;
}

const LimitName* findName(const std::string& name)
{
    for (const LimitName& n : limitNames()) {
        if (name == n.name) return &n;
    }
    return nullptr;
}

bool readBound(const std::string& word, double& value)
{
    if (word == "inf" || word == "+inf") {
        value = kInf;
        return true;
    }
    if (word == "-inf") {
        value = -kInf;
        return true;
    }
    std::istringstream in(word);
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof() && std::isfinite(value);
}

}  // namespace

LimitSet LimitSet::builtIn()
{
    return {{
        {"registration_correlation", kLeastRegisteredCorrelation, 1},
        {"frequency_response_db", -0.2, 0.2},
        {"chroma_delay_ns", -10, 10},
        {"luma_gain_percent", -2, 2},
        {"chroma_gain_percent", -2, 2},
        {"snr_db", 50, kInf},
    }};
}

LimitSet LimitSet::parse(const std::string& text)
{
    LimitSet set;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::istringstream words(line);
        std::string name, equals, low, high, extra;
        if (!(words >> name) || name[0] == '#') continue;
        auto fail = [&](const std::string& why) {
            throw std::invalid_argument("line " + std::to_string(number) + ": " + why);
        };
        if (!(words >> equals >> low >> high) || equals != "=" || (words >> extra)) {
            fail("not \"name = low high\"");
        }
        if (findName(name) == nullptr) fail("no limit is called " + name);
        Limit limit{name, 0, 0};
        if (!readBound(low, limit.low) || !readBound(high, limit.high)) fail("the bounds are numbers, inf or -inf");
        if (limit.low > limit.high) fail("the low bound is above the high one");
        set.limits.push_back(limit);
    }
    return set;
}

LimitSet LimitSet::read(const std::string& path)
{
    std::ifstream in(path);
    if (!in) throw std::invalid_argument("cannot open it");
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

std::vector<LimitCheck> checkLimits(const Measurement& m, const LimitSet& set)
{
    std::vector<LimitCheck> checks;
    for (const Limit& limit : set.limits) {
        const LimitName* n = findName(limit.name);
        if (n == nullptr) continue;
        for (const auto& value : n->values(m)) {
            const bool passed = value.second >= limit.low && value.second <= limit.high;
            checks.push_back({limit.name, value.first, n->unit, value.second, limit.low, limit.high, passed});
        }
    }
    return checks;
}
