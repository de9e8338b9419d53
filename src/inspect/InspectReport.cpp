#include "inspect/InspectReport.h"

#include <string>

namespace InspectReport {

namespace {

void line(std::FILE* out, const std::string& name, const std::string& value)
{
    std::fprintf(out, "%-24s %s\n", (name + ":").c_str(), value.c_str());
}

// "red = Cr, green = Y', blue = Cb, alpha": the file's names, and what they hold where that differs.
std::string channels(const InspectedFile& file, const SignalModel& model)
{
    std::string text;
    for (std::size_t i = 0; i < file.storedNames.size(); ++i) {
        const std::string held = model.componentName(file.storedComponents[i]);
        text += (i > 0 ? ", " : "") + file.storedNames[i] + (held != file.storedNames[i] ? " = " + held : "");
    }
    if (file.chromaPairs) text += " (each pair of pixels shares one Cb and Cr)";
    return text;
}

}  // namespace

void printSummary(std::FILE* out, const InspectedFile& file, const SignalModel& model, const char* codeDepthBasis)
{
    line(out, "file", file.path);
    line(out, "kind", fileKindName(file.kind));
    for (const SummaryField& f : file.fields) line(out, f.name, f.value);
    const CodeFrame& frame = file.frame;
    if (frame.width > 0 && file.kind != FileKind::PatternFile) {
        line(out, "code depth",
             std::to_string(frame.codeBits) + " bits in " + std::to_string(frame.storedBits) + "-bit samples (" +
                 codeDepthBasis + ")");
    }
    line(out, "colour space", model.describe());
    if (!model.note.empty()) line(out, "note", model.note);
    if (!file.storedNames.empty()) line(out, "samples per pixel", channels(file, model));
    if (file.damaged()) {
        for (const std::string& p : file.problems) line(out, "damage", p);
    } else {
        line(out, "state", "intact: every count adds up");
    }
}

bool printPixel(std::FILE* out, const InspectedFile& file, const SignalModel& model, int x, int y)
{
    const CodeFrame& frame = file.frame;
    if (!frame.present(x, y)) {
        std::fprintf(out, "pixel %d,%d: not held by the file (it holds %dx%d of %dx%d)\n", x, y, frame.presentWidth,
                     frame.presentHeight, frame.width, frame.height);
        return false;
    }
    std::fprintf(out, "pixel %d,%d\n", x, y);
    std::fprintf(out, "  stored (%d-bit):", frame.storedBits);
    for (std::size_t i = 0; i < file.storedNames.size(); ++i) {
        std::fprintf(out, " %s %u", file.storedNames[i].c_str(), frame.stored(x, y, file.storedComponents[i]));
    }
    std::fprintf(out, "\n  codes (%d-bit): ", frame.codeBits);
    for (std::size_t i = 0; i < file.storedNames.size(); ++i) {
        const int c = file.storedComponents[i];
        std::fprintf(out, " %s %d", model.componentName(c), frame.code(x, y, c));
    }
    std::fprintf(out, "\n");
    if (file.chromaPairs && (x & 1) != 0) std::fprintf(out, "  (Cb and Cr are those of pixel %d,%d)\n", x - 1, y);
    return true;
}

}  // namespace InspectReport
