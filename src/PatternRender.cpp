#include "PatternRender.h"

#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "OutputKinds.h"
#include "Usage.h"
#include "patterns/PatternWrapper.h"
#include "settings/CardOptions.h"
#include "settings/RunSettings.h"
#include "settings/SettingsRefusal.h"
#include "tools/UnitTests.h"

std::string PatternRender::fontDirectoryFor(const char* programPath)
{
    if (programPath == nullptr) return "";
    const std::string path(programPath);
    const std::string::size_type separator = path.find_last_of("/\\");
    if (separator == 0) return "";
    const std::string dir = (separator == std::string::npos ? path : path.substr(0, separator)) + "/../fonts";
    struct stat info;
    if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return dir;
    return "";
}

namespace {

// Outcome of reading the options: go on, or stop the run with status 1.
enum class ParseResult { Continue, Fail };

void parseQuadrant(const char* value, RunSettings& settings)
{
    if (std::strcmp(value, "TR") == 0)
        settings.quadrant = PatternGen::Quadrant_TopRight;
    else if (std::strcmp(value, "BR") == 0)
        settings.quadrant = PatternGen::Quadrant_BottomRight;
    else if (std::strcmp(value, "BL") == 0)
        settings.quadrant = PatternGen::Quadrant_BottomLeft;
    else if (std::strcmp(value, "TL") == 0)
        settings.quadrant = PatternGen::Quadrant_TopLeft;
}

void parseInt(const char* value, int& target)
{
    int number = 0;
    if (std::sscanf(value, "%d", &number) == 1) target = number;
}

bool isOption(const char* arg, const char* option)
{
    return std::strcmp(arg, option) == 0;
}

// Options are matched only as whole arguments; anything unmatched is the file
// name. The card options are those pm5544-inspect reads too (CardOptions).
ParseResult parseOptions(int argc, char** argv, RunSettings& settings)
{
    CardOptions card;
    for (int i = 1; i < argc; ++i) {
        switch (card.read(argc, argv, i)) {
        case CardOptions::Read::Taken: continue;
        case CardOptions::Read::Unrecognised:
            std::fprintf(stderr, "Error: %s\n", unrecognisedColourSpace(card.rejected).c_str());
            return ParseResult::Fail;
        case CardOptions::Read::NotCardOption: break;
        }
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : nullptr;

        if (isOption(arg, "-q") || isOption(arg, "-o") || isOption(arg, "-i")) {
            // An option that needs a value but stands last has nothing to read: ignore it.
            if (!hasValue) continue;
            ++i;
            if (isOption(arg, "-q"))
                parseQuadrant(value, settings);
            else if (isOption(arg, "-o"))
                parseInt(value, settings.commandLineValue);
            else
                settings.skipLineEndShaping = true;  // -i: its argument is skipped unread
        } else if (isOption(arg, "-u")) {
            settings.selfTest = true;
        } else if (isOption(arg, "-e") || isOption(arg, "-v") || isOption(arg, "-no_compress")) {
            // Accepted for compatibility; they change nothing.
        } else {
            settings.fileName = arg;
        }
    }
    card.applyTo(settings);
    return ParseResult::Continue;
}

// Settings that the pattern cannot be drawn with: refuse them plainly instead
// of producing a corrupt frame. Returns false after printing the reason.
bool validateSettings(const RunSettings& s, const PatternSpec& pattern, bool patternFile)
{
    if (patternFile && bitDepthRefused(s)) {
        std::printf("%s", OutputKinds::kPatternFileDepthRefusal);
        return false;
    }
    const std::string refusal = refusalOf(s, pattern);
    if (!refusal.empty()) {
        std::fprintf(stderr, "Error: %s\n", refusal.c_str());
        return false;
    }
    return true;
}

// Renders and writes one frame once the settings are known to be usable.
int renderAndWrite(const RunSettings& s, PatternSpec& pattern, const std::string& fontDirectory)
{
    const std::string fileName(s.fileName);
    const std::string::size_type dot = fileName.find_last_of('.');
    const bool hasExtension = dot != std::string::npos;
    const std::string extension = hasExtension ? fileName.substr(dot + 1) : std::string();

    std::printf("size %dx%d\n", s.width, s.height);
    // Lines are made as the writer takes them, not held as a whole frame.
    pattern.renderLinesOnDemand = true;
    pattern.init(s.width, s.height, s.aspectWidth, s.aspectHeight, s.axes, s.sampling, s.bitDepth, s.fullRange,
                 s.quadrant, s.commandLineValue, s.skipLineEndShaping, fontDirectory);
    const int textScale = s.quadrant != PatternGen::Quadrant_None ? 2 : 1;
    pattern.render_text(s.width * textScale, s.height * textScale);
    return OutputKinds::renderAndWrite(OutputKinds::forExtension(extension), s, pattern, hasExtension, extension);
}

}  // namespace

namespace PatternRender {

namespace {

int run(int argc, char** argv, PatternSpec& pattern, RunSettings& settings)
{
    // --help and --version answer before any other argument is read.
    if (const std::optional<int> status = Usage::answerInfoRequest(argc, argv)) return *status;
    const std::string fontDirectory = fontDirectoryFor(argc > 0 ? argv[0] : nullptr);
    if (argc < 2) {
        std::fprintf(stderr, "Error: Filename not given\n");
        return 1;
    }

    if (parseOptions(argc, argv, settings) == ParseResult::Fail) return 1;

    if (settings.selfTest)
        return UnitTests::runUnitTests(settings.width, settings.height, settings.aspectWidth, settings.aspectHeight,
                                       settings.axes);

    if (settings.fileName == nullptr) {
        std::fprintf(stderr, "Error: Filename not given\n");
        return 1;
    }

    const std::string fileName(settings.fileName);
    const std::string::size_type dot = fileName.find_last_of('.');
    const bool patternFile = dot != std::string::npos && OutputKinds::forExtension(fileName.substr(dot + 1)).form ==
                                                             OutputKinds::RenderForm::Instrument;
    if (!validateSettings(settings, pattern, patternFile)) return 1;
    return renderAndWrite(settings, pattern, fontDirectory);
}

}  // namespace

int renderPattern(int argc, char** argv, PatternSpec& pattern)
{
    // Rendering and writing report their failures as exceptions (an unsupported
    // request such as a quadrant of a full-canvas pattern, a pattern file that
    // cannot be saved, memory exhaustion): end the run with a message, not an abort.
    RunSettings settings;
    try {
        return run(argc, argv, pattern, settings);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "Error: not enough memory for a %dx%d card\n", settings.width, settings.height);
        return 1;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        // Some pattern-file texts end in a newline of their own.
        const std::string text = e.what();
        const bool ownNewline = !text.empty() && text.back() == '\n';
        std::fprintf(stderr, "Error: %s%s", text.c_str(), ownNewline ? "" : "\n");
        return 1;
    }
}

}  // namespace PatternRender
