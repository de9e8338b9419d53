#include "inspect/InspectReport.h"

#include <string>

#include "inspect/TerminalText.h"

namespace InspectReport {

namespace {

void line(std::FILE* out, const std::string& name, const std::string& value)
{
    std::fprintf(out, "%-24s %s\n", terminalText(name + ":").c_str(), terminalText(value).c_str());
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
    const FrameShape& shape = file.shape;
    if (shape.width > 0 && file.kind != FileKind::PatternFile) {
        line(out, "code depth",
             std::to_string(shape.codeBits) + " bits in " + std::to_string(shape.storedBits) + "-bit samples (" +
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

void printPixel(std::FILE* out, const InspectedFile& file, const SignalModel& model, int x, int y,
                const uint16_t* samples)
{
    const FrameShape& shape = file.shape;
    if (samples == nullptr) {
        std::fprintf(out, "pixel %d,%d: not held by the file (it holds %dx%d of %dx%d)\n", x, y, shape.presentWidth,
                     shape.presentHeight, shape.width, shape.height);
        return;
    }
    std::fprintf(out, "pixel %d,%d\n", x, y);
    std::fprintf(out, "  stored (%d-bit):", shape.storedBits);
    for (std::size_t i = 0; i < file.storedNames.size(); ++i) {
        std::fprintf(out, " %s %u", file.storedNames[i].c_str(), samples[file.storedComponents[i]]);
    }
    std::fprintf(out, "\n  codes (%d-bit): ", shape.codeBits);
    for (std::size_t i = 0; i < file.storedNames.size(); ++i) {
        const int c = file.storedComponents[i];
        std::fprintf(out, " %s %d", model.componentName(c), shape.code(samples[c]));
    }
    std::fprintf(out, "\n");
    // Shared chroma is that of the even sample (and in 4:2:0 of the even line).
    const int chromaX = file.chromaPairs ? x & ~1 : x;
    const int chromaY =
        file.chromaPairs && file.sampling == PatternGen::Sampling_420 && file.samplingRecorded ? y & ~1 : y;
    if (chromaX != x || chromaY != y) std::fprintf(out, "  (Cb and Cr are those of pixel %d,%d)\n", chromaX, chromaY);
}

void printError(const std::string& path, const std::string& text)
{
    std::fprintf(stderr, "pm5544-inspect: %s: %s\n", terminalText(path).c_str(), terminalText(text).c_str());
}

}  // namespace InspectReport
