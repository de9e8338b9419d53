#include "inspect/measure/MeasureCommand.h"

#include <cstdio>
#include <fstream>

#include "inspect/measure/CaptureFrame.h"
#include "inspect/measure/CardReference.h"
#include "inspect/measure/DifferenceMap.h"
#include "inspect/measure/MeasureHtml.h"
#include "inspect/measure/MeasureJson.h"
#include "inspect/measure/MeasureText.h"
#include "writers/writeVantoKeplo.h"

namespace {

void writeText(const std::string& path, const std::string& text, const char* what)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) throw CannotMeasure(std::string("cannot write the ") + what + " " + path);
}

LimitSet limitsFor(const MeasureOptions& options)
{
    if (options.limits.empty()) return LimitSet::builtIn();
    try {
        return LimitSet::read(options.limits);
    } catch (const std::invalid_argument& e) {
        throw CannotMeasure("limits " + options.limits + ": " + e.what());
    }
}

}  // namespace

bool runMeasure(const InspectedFile& file, FileRows& rows, const RunSettings& s, const MeasureOptions& options,
                const std::string& note)
{
    if (file.kind == FileKind::PatternFile && file.patternFormat == PatternFileFormat::XYZ) {
        throw CannotMeasure("an xyz file holds X'Y'Z' codes, which are not measured: measure the rgb file");
    }
    if (!MeasureFrame::fits(s.width, s.height)) {
        throw CannotMeasure("--measure holds whole frames, and " + std::to_string(s.width) + "x" +
                            std::to_string(s.height) + " is more than the 7680x4320 pixels it takes");
    }
    const LimitSet limits = limitsFor(options);
    const CardReference card = CardReference::render(s);
    const MeasureFrame capture = captureFrame(rows, s.bitDepth);
    const MeasureCanvas canvas = MeasureCanvas::of(s, card.sampleRateHz());

    MeasureReport report;
    report.file = file.path;
    report.settings = asOptions(s);
    report.note = note;
    report.measurement = measureCapture(capture, card, canvas);
    report.checks = checkLimits(report.measurement, limits);

    if (options.json != "-") printMeasureText(stdout, report);
    if (options.json == "-") {
        std::fputs(measureJson(report).c_str(), stdout);
    } else if (!options.json.empty()) {
        writeText(options.json, measureJson(report), "JSON report");
    }
    if (!options.report.empty()) {
        const Registration& r = report.measurement.registration;
        const DifferenceMap difference = DifferenceMap::of(capture, card.frame, {r.wholeDx(), r.wholeDy()});
        writeText(options.report, measureHtml(report, difference), "report page");
    }
    return report.passed();
}
