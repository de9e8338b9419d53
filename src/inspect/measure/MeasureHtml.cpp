#include "inspect/measure/MeasureHtml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "inspect/HeatScale.h"
#include "inspect/measure/Base64.h"
#include "inspect/measure/PngBytes.h"

namespace {

constexpr int kWidestPicture = 1920;  // the difference picture is reduced to this width at most
constexpr int kChartWidth = 640;
constexpr int kChartHeight = 320;
constexpr int kChartMargin = 48;
constexpr int kPlotSize = 360;
constexpr int kLegendWidth = 400;
constexpr int kLegendHeight = 16;
constexpr int kLegendSteps = 64;
constexpr int kDefaultDbRange = 1;  // the chart shows at least +-1 dB
// ...and at most this far either way: a grating a chain removed reads -300 dB
// and more, and is drawn at the chart's edge.
constexpr double kWidestDbRange = 120;
constexpr double kMostDbLines = 10;  // labelled lines, each 1, 2, 5, 10, 20 or 50 dB apart
constexpr double kNothing = 5e-10;   // what rounding leaves of a difference of nothing: shown as 0, not -0

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string fixed(double v, int decimals, bool sign = false)
{
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char text[64];
    std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, std::abs(v) < kNothing ? 0.0 : v);
    return text;
}

std::string colour(Rgb8 c)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

// A table from a header row and body rows of cells (already escaped).
std::string table(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows)
{
    std::ostringstream t;
    t << "<table><tr>";
    for (const std::string& h : header) t << "<th>" << h << "</th>";
    t << "</tr>\n";
    for (const auto& row : rows) {
        t << "<tr>";
        for (const std::string& cell : row) t << "<td>" << cell << "</td>";
        t << "</tr>\n";
    }
    t << "</table>\n";
    return t.str();
}

std::string responseChart(const MeasureReport& r)
{
    const std::vector<GratingResponse>& gratings = r.measurement.frequencyResponse;
    double band[2] = {0, 0};
    bool hasBand = false;
    for (const LimitCheck& c : r.checks) {
        if (c.name == "frequency_response_db") {
            band[0] = c.low;
            band[1] = c.high;
            hasBand = true;
        }
    }
    double top = kDefaultDbRange;
    double bottom = -kDefaultDbRange;
    double mhz = 0;
    for (const GratingResponse& g : gratings) {
        mhz = std::max(mhz, g.mhz);
        if (!g.measurable) continue;
        top = std::max(top, std::ceil(std::min(g.db, kWidestDbRange)));
        bottom = std::min(bottom, std::floor(std::max(g.db, -kWidestDbRange)));
    }
    double dbStep = 1;
    for (const double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        dbStep = step;
        if ((top - bottom) / step <= kMostDbLines) break;
    }
    const double right = std::ceil(mhz * 1.1);
    const double plotW = kChartWidth - 2 * kChartMargin;
    const double plotH = kChartHeight - 2 * kChartMargin;
    auto x = [&](double f) { return kChartMargin + f / right * plotW; };
    auto y = [&](double db) {
        return kChartMargin + (top - std::min(std::max(db, bottom), top)) / (top - bottom) * plotH;
    };
    std::ostringstream s;
    s << "<svg id=\"frequency-response\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kChartWidth << "\" height=\""
      << kChartHeight << "\" viewBox=\"0 0 " << kChartWidth << ' ' << kChartHeight << "\">\n";
    s << "<rect x=\"0\" y=\"0\" width=\"" << kChartWidth << "\" height=\"" << kChartHeight << "\" fill=\"white\"/>\n";
    if (hasBand) {
        s << "<rect class=\"limit-band\" x=\"" << x(0) << "\" y=\"" << y(band[1]) << "\" width=\"" << plotW
          << "\" height=\"" << y(band[0]) - y(band[1]) << "\" fill=\"#d8f0d8\"/>\n";
    }
    for (double db = std::ceil(bottom / dbStep) * dbStep; db <= top; db += dbStep) {
        s << "<line x1=\"" << x(0) << "\" y1=\"" << y(db) << "\" x2=\"" << x(right) << "\" y2=\"" << y(db)
          << "\" stroke=\"" << (db == 0 ? "#444" : "#ccc") << "\"/>\n";
        s << "<text x=\"" << x(0) - 6 << "\" y=\"" << y(db) + 4 << "\" text-anchor=\"end\" font-size=\"11\">"
          << fixed(db, 0, true) << "</text>\n";
    }
    for (double f = 0; f <= right; f += std::max(1.0, std::round(right / 10))) {
        s << "<text x=\"" << x(f) << "\" y=\"" << kChartHeight - kChartMargin + 16
          << "\" text-anchor=\"middle\" font-size=\"11\">" << fixed(f, 0) << "</text>\n";
    }
    s << "<text x=\"" << kChartWidth / 2 << "\" y=\"" << kChartHeight - 8
      << "\" text-anchor=\"middle\" font-size=\"12\">MHz</text>\n";
    s << "<text x=\"12\" y=\"" << kChartHeight / 2 << "\" font-size=\"12\" transform=\"rotate(-90 12 "
      << kChartHeight / 2 << ")\" text-anchor=\"middle\">dB</text>\n";
    std::string points;
    for (const GratingResponse& g : gratings) {
        if (!g.measurable) continue;
        points += fixed(x(g.mhz), 1) + "," + fixed(y(g.db), 1) + " ";
        s << "<circle class=\"grating\" cx=\"" << x(g.mhz) << "\" cy=\"" << y(g.db)
          << "\" r=\"4\" fill=\"#c00000\"><title>grating " << g.grating << ": " << fixed(g.mhz, 3) << " MHz, "
          << fixed(g.db, 3, true) << " dB</title></circle>\n";
    }
    s << "<polyline points=\"" << points << "\" fill=\"none\" stroke=\"#c00000\"/>\n</svg>\n";
    return s.str();
}

std::string vectorPlot(const Measurement& m)
{
    double largest = 1;
    std::vector<std::array<double, 2>> card;
    std::vector<std::array<double, 2>> capture;
    for (const BarMeasure& b : m.bars.bars) {
        std::array<double, MeasureFrame::kPlanes> ref{};
        std::array<double, MeasureFrame::kPlanes> got{};
        for (int i = 0; i < MeasureFrame::kPlanes; ++i) {
            ref[static_cast<std::size_t>(m.canvas.order[i])] = b.reference[i];
            got[static_cast<std::size_t>(m.canvas.order[i])] = b.measured[i];
        }
        card.push_back(m.canvas.chroma(ref));
        capture.push_back(m.canvas.chroma(got));
        for (double v : {card.back()[0], card.back()[1], capture.back()[0], capture.back()[1]})
            largest = std::max(largest, std::abs(v));
    }
    const double half = kPlotSize / 2.0;
    const double scale = (half - 24) / largest;
    auto px = [&](double cb) { return half + cb * scale; };
    auto py = [&](double cr) { return half - cr * scale; };  // Cr upwards: counter-clockwise is positive phase
    std::ostringstream s;
    s << "<svg id=\"chroma-vectors\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPlotSize << "\" height=\""
      << kPlotSize << "\" viewBox=\"0 0 " << kPlotSize << ' ' << kPlotSize << "\">\n";
    s << "<rect x=\"0\" y=\"0\" width=\"" << kPlotSize << "\" height=\"" << kPlotSize << "\" fill=\"white\"/>\n";
    s << "<line x1=\"0\" y1=\"" << half << "\" x2=\"" << kPlotSize << "\" y2=\"" << half << "\" stroke=\"#aaa\"/>\n";
    s << "<line x1=\"" << half << "\" y1=\"0\" x2=\"" << half << "\" y2=\"" << kPlotSize << "\" stroke=\"#aaa\"/>\n";
    s << "<text x=\"" << kPlotSize - 4 << "\" y=\"" << kPlotSize - 6 << "\" text-anchor=\"end\" font-size=\"11\">"
      << (m.canvas.yCbCr ? "Cb to the right" : "B'-Y' to the right") << "</text>\n";
    s << "<text x=\"4\" y=\"12\" font-size=\"11\">" << (m.canvas.yCbCr ? "Cr upwards" : "R'-Y' upwards") << "</text>\n";
    for (std::size_t i = 0; i < card.size(); ++i) {
        const std::string name = escaped(m.bars.bars[i].name);
        s << "<line class=\"card-vector\" x1=\"" << half << "\" y1=\"" << half << "\" x2=\"" << px(card[i][0])
          << "\" y2=\"" << py(card[i][1]) << "\" stroke=\"#888\" stroke-dasharray=\"4 3\"/>\n";
        s << "<circle class=\"card-vector\" cx=\"" << px(card[i][0]) << "\" cy=\"" << py(card[i][1])
          << "\" r=\"6\" fill=\"none\" stroke=\"#444\"><title>card " << name << "</title></circle>\n";
        s << "<line class=\"capture-vector\" x1=\"" << half << "\" y1=\"" << half << "\" x2=\"" << px(capture[i][0])
          << "\" y2=\"" << py(capture[i][1]) << "\" stroke=\"#c00000\"/>\n";
        s << "<circle class=\"capture-vector\" cx=\"" << px(capture[i][0]) << "\" cy=\"" << py(capture[i][1])
          << "\" r=\"3\" fill=\"#c00000\"><title>capture " << name << "</title></circle>\n";
        s << "<text x=\"" << px(card[i][0]) + 8 << "\" y=\"" << py(card[i][1]) - 8 << "\" font-size=\"11\">" << name
          << "</text>\n";
    }
    s << "</svg>\n";
    return s.str();
}

std::string heatLegend(int largest)
{
    std::ostringstream s;
    s << "<svg id=\"heat-legend\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kLegendWidth + 80 << "\" height=\""
      << kLegendHeight + 20 << "\">\n";
    const double step = static_cast<double>(kLegendWidth) / kLegendSteps;
    for (int i = 0; i < kLegendSteps; ++i) {
        s << "<rect x=\"" << i * step << "\" y=\"0\" width=\"" << step + 0.5 << "\" height=\"" << kLegendHeight
          << "\" fill=\"" << colour(HeatScale::colourAt((i + 0.5) / kLegendSteps)) << "\"/>\n";
    }
    s << "<text x=\"0\" y=\"" << kLegendHeight + 14 << "\" font-size=\"11\">1 code</text>\n";
    s << "<text x=\"" << kLegendWidth << "\" y=\"" << kLegendHeight + 14 << "\" text-anchor=\"end\" font-size=\"11\">"
      << std::max(largest, 1) << " codes</text>\n</svg>\n";
    return s.str();
}

}  // namespace

std::string measureHtml(const MeasureReport& r, const DifferenceMap& difference)
{
    const Measurement& m = r.measurement;
    const auto& labels = m.canvas.labels;
    std::ostringstream h;
    h << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>pm5544-inspect --measure "
      << escaped(r.file) << "</title>\n<style>\n"
      << "body{font-family:sans-serif;margin:2em;color:#222}table{border-collapse:collapse;margin:0.5em 0 1.5em}"
      << "td,th{border:1px solid #bbb;padding:2px 8px;text-align:right}th{background:#eee}"
      << "td:first-child{text-align:left}.pass{color:#070}.fail{color:#b00;font-weight:bold}"
      << "img{image-rendering:pixelated;max-width:100%;border:1px solid #bbb}\n</style>\n</head>\n<body>\n";
    h << "<h1>Measurement of " << escaped(r.file) << "</h1>\n";
    h << "<p>Against the card rendered with <code>" << escaped(r.settings) << "</code>.";
    if (!r.note.empty()) h << " Note: " << escaped(r.note) << ".";
    h << "</p>\n<p class=\""
      << (r.passed() ? "pass\">Every value within its limits" : "fail\">Values outside their limits") << ".</p>\n";

    h << "<h2>Registration</h2>\n"
      << table({"shift", "value"},
               {{"dx (samples, &gt; 0: right)", fixed(m.registration.dx, 3, true)},
                {"dy (lines, &gt; 0: down)", fixed(m.registration.dy, 3, true)},
                {"luma correlation at that shift",
                 m.registration.correlated() ? fixed(m.registration.correlation, 4, false) : "not measured"}});

    h << "<h2>Levels</h2>\n<p>Luma: " << escaped(m.canvas.lumaBasis) << "; codes.</p>\n";
    std::vector<std::vector<std::string>> levels;
    auto level = [&](const std::string& name, const LevelPoint& p) {
        if (p.found)
            levels.push_back(
                {name, fixed(p.reference, 2), fixed(p.measured, 2), fixed(p.measured - p.reference, 2, true)});
    };
    level("black", m.levels.black);
    level("white", m.levels.white);
    for (std::size_t i = 0; i < m.levels.greyScale.size(); ++i)
        level("grey step " + std::to_string(i + 1), m.levels.greyScale[i]);
    h << table({"level", "reference", "measured", "difference"}, levels);
    if (m.levels.fitted) {
        h << "<p>measured = " << fixed(m.levels.gain, 5) << " &times; reference " << fixed(m.levels.offset, 2, true)
          << " codes; largest step deviation " << fixed(m.levels.largestStepDeviation, 2, true) << " codes.</p>\n";
    } else {
        h << "<p>Gain and offset not measured: fewer than two grey steps in the picture.</p>\n";
    }
    h << "<p>Clipped samples: " << m.levels.clippedLow << " low, " << m.levels.clippedHigh << " high.</p>\n";

    h << "<h2>Colour bars (75 %)</h2>\n";
    std::vector<std::vector<std::string>> bars;
    for (const BarMeasure& b : m.bars.bars) {
        std::vector<std::string> row{escaped(b.name)};
        for (int i = 0; i < MeasureFrame::kPlanes; ++i) row.push_back(fixed(b.reference[i], 1));
        for (int i = 0; i < MeasureFrame::kPlanes; ++i) row.push_back(fixed(b.measured[i], 2));
        row.push_back(fixed(b.chromaGain, 4));
        row.push_back(fixed(b.chromaPhaseDeg, 2, true));
        bars.push_back(row);
    }
    const std::string l0 = escaped(labels[0]), l1 = escaped(labels[1]), l2 = escaped(labels[2]);
    h << table({"bar", l0 + " card", l1 + " card", l2 + " card", l0, l1, l2, "chroma gain", "phase deg"}, bars);
    if (m.bars.bars.empty()) h << "<p>Not measured: no bar in the picture.</p>\n";
    h << "<p>Chroma: gain " << fixed(m.bars.chromaGain, 4) << ", phase " << fixed(m.bars.chromaPhaseDeg, 2, true)
      << " deg (counter-clockwise in the (Cb, Cr) plane).</p>\n"
      << vectorPlot(m);
    h << "<h2>Diagnoses</h2>\n<ul>\n";
    if (m.diagnoses.empty()) h << "<li>none</li>\n";
    for (const std::string& d : m.diagnoses) h << "<li>" << escaped(d) << "</li>\n";
    h << "</ul>\n";

    h << "<h2>Frequency response</h2>\n";
    std::vector<std::vector<std::string>> response;
    for (const GratingResponse& g : m.frequencyResponse) {
        response.push_back({std::to_string(g.grating), std::to_string(g.periodSamples), fixed(g.cyclesPerSample, 4),
                            fixed(g.mhz, 3), g.measurable ? fixed(g.db, 3, true) : escaped(g.why)});
    }
    h << table({"grating", "period samples", "cycles/sample", "MHz", "response dB"}, response) << responseChart(r);

    h << "<h2>Chroma&ndash;luma delay</h2>\n";
    std::vector<std::vector<std::string>> delay;
    for (std::size_t c = 0; c < m.chromaDelay.samples.size(); ++c) {
        if (m.chromaDelay.measured[c])
            delay.push_back({escaped(m.canvas.chromaLabels[c]), fixed(m.chromaDelay.samples[c], 3, true),
                             fixed(m.chromaDelay.ns[c], 2, true)});
    }
    h << table({"component", "samples", "ns"}, delay);

    h << "<h2>Noise</h2>\n";
    std::vector<std::vector<std::string>> noise;
    for (int i = 0; i < MeasureFrame::kPlanes; ++i)
        noise.push_back(
            {escaped(labels[static_cast<std::size_t>(i)]), fixed(m.noise.rms[i], 3), fixed(m.psnrDb[i], 2)});
    h << table({"component", "noise rms codes", "PSNR dB"}, noise);
    if (!m.noise.measured()) h << "<p>Noise not measured: no flat area in the picture.</p>\n";
    h << "<p>SNR " << fixed(m.noise.snrDb, 2) << " dB; quantisation floor " << fixed(m.noise.floorDb, 1)
      << " dB: " << (m.noise.atFloor ? "at the quantisation floor" : "above the quantisation floor") << ".</p>\n";

    h << "<h2>Limits</h2>\n";
    std::vector<std::vector<std::string>> limits;
    for (const LimitCheck& c : r.checks) {
        limits.push_back({escaped(c.name), escaped(c.what), fixed(c.value, 3, true) + " " + escaped(c.unit),
                          fixed(c.low, 3, true), fixed(c.high, 3, true),
                          c.passed ? "<span class=\"pass\">pass</span>" : "<span class=\"fail\">FAIL</span>"});
    }
    h << table({"limit", "of", "value", "low", "high", ""}, limits);

    h << "<h2>Registered difference</h2>\n<p>The largest difference of any component at each sample, on the heat "
         "scale (logarithmic); black where nothing differs. Largest: "
      << difference.largest << " codes.</p>\n";
    h << "<img id=\"difference\" alt=\"registered difference\" src=\"data:image/png;base64,"
      << base64(pngBytes(difference.heatImage(kWidestPicture))) << "\">\n"
      << heatLegend(difference.largest);
    h << "</body>\n</html>\n";
    return h.str();
}
