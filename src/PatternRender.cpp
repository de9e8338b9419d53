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

#include "FileOnStandardOutput.h"
#include "OutputKinds.h"
#include "OutputOptions.h"
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

// A whole number of decimal digits alone (no sign, no spaces) up to `limit`.
bool parseWholeNumber(const char* text, int64_t limit, int64_t& number)
{
    if (*text == '\0') return false;
    int64_t n = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return false;
        const int digit = *c - '0';
        if (n > (limit - digit) / 10) return false;
        n = n * 10 + digit;
    }
    number = n;
    return true;
}

bool parseFormat(const char* value, OutputOptions& options)
{
    if (OutputKinds::named(value) == nullptr) return false;
    options.format = value;
    return true;
}

bool parseFrames(const char* value, OutputOptions& options)
{
    return parseWholeNumber(value, INT64_MAX, options.frames);
}

// "N", "N/D" or "N:D", both positive; stream headers hold them as 32-bit numbers.
bool parseRate(const char* value, OutputOptions& options)
{
    const char* separator = std::strpbrk(value, "/:");
    const std::string numerator = separator != nullptr ? std::string(value, separator) : std::string(value);
    Y4m::Ratio rate{0, 1};
    if (!parseWholeNumber(numerator.c_str(), INT32_MAX, rate.numerator)) return false;
    if (separator != nullptr && !parseWholeNumber(separator + 1, INT32_MAX, rate.denominator)) return false;
    if (rate.numerator == 0 || rate.denominator == 0) return false;
    options.rate = rate;
    return true;
}

bool parseFieldOrder(const char* value, OutputOptions& options)
{
    const struct {
        const char* word;
        Y4m::FieldOrder order;
    } kOrders[] = {{"progressive", Y4m::FieldOrder::Progressive},
                   {"tff", Y4m::FieldOrder::TopFirst},
                   {"bff", Y4m::FieldOrder::BottomFirst}};
    for (const auto& o : kOrders) {
        if (std::strcmp(value, o.word) == 0) {
            options.fieldOrder = o.order;
            return true;
        }
    }
    return false;
}

// The options of two dashes: each needs a value, and a well-formed one.
struct LongOption {
    const char* name;
    bool (*parse)(const char* value, OutputOptions& options);
    const char* expected;  // what the value may be, for the message
};

const LongOption kLongOptions[] = {
    {"--format", parseFormat, "png, tif, dpx, pat, yc4, rgb, xyz or y4m"},
    {"--frames", parseFrames, "a whole number of frames, or 0 for frames until the reader stops"},
    {"--rate", parseRate, "frames per second as N, N/D or N:D, both numbers positive (25, 30000/1001)"},
    {"--field-order", parseFieldOrder, "progressive, tff or bff"},
};

const LongOption* longOption(const char* arg)
{
    for (const LongOption& option : kLongOptions) {
        if (isOption(arg, option.name)) return &option;
    }
    return nullptr;
}

// Options are matched only as whole arguments; anything unmatched is the file
// name. The card options are those pm5544-inspect reads too (CardOptions).
ParseResult parseOptions(int argc, char** argv, RunSettings& settings, OutputOptions& output)
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

        if (const LongOption* option = longOption(arg)) {
            if (!hasValue) {
                std::fprintf(stderr, "Error: %s needs a value: %s\n", option->name, option->expected);
                return ParseResult::Fail;
            }
            ++i;
            if (!option->parse(value, output)) {
                std::fprintf(stderr, "Error: %s %s: the value must be %s\n", option->name, value, option->expected);
                return ParseResult::Fail;
            }
        } else if (isOption(arg, "-q") || isOption(arg, "-o") || isOption(arg, "-i")) {
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

// The kind to write: the one --format names, else the one of the name's
// extension. `extension` is set to the kind's name, or the name's extension.
const OutputKinds::OutputKind& kindToWrite(const char* fileName, const OutputOptions& options, bool& hasExtension,
                                           std::string& extension)
{
    if (options.format != nullptr) {
        hasExtension = true;
        extension = options.format;
        return *OutputKinds::named(extension);
    }
    const std::string name(fileName);
    const std::string::size_type dot = name.find_last_of('.');
    hasExtension = dot != std::string::npos;
    extension = hasExtension ? name.substr(dot + 1) : std::string();
    return OutputKinds::forExtension(extension);
}

// Renders and writes one frame once the settings are known to be usable.
int renderAndWrite(const RunSettings& s, const OutputOptions& options, const OutputKinds::OutputKind& kind,
                   bool hasExtension, const std::string& extension, PatternSpec& pattern,
                   const std::string& fontDirectory)
{
    std::printf("size %dx%d\n", s.width, s.height);
    // Lines are made as the writer takes them, not held as a whole frame.
    pattern.renderLinesOnDemand = true;
    pattern.init(s.width, s.height, s.aspectWidth, s.aspectHeight, s.axes, s.sampling, s.bitDepth, s.fullRange,
                 s.quadrant, s.commandLineValue, s.skipLineEndShaping, fontDirectory);
    const int textScale = s.quadrant != PatternGen::Quadrant_None ? 2 : 1;
    pattern.render_text(s.width * textScale, s.height * textScale);
    return OutputKinds::renderAndWrite(kind, s, options, pattern, hasExtension, extension);
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

    OutputOptions output;
    if (parseOptions(argc, argv, settings, output) == ParseResult::Fail) return 1;

    if (settings.selfTest)
        return UnitTests::runUnitTests(settings.width, settings.height, settings.aspectWidth, settings.aspectHeight,
                                       settings.axes);

    if (settings.fileName == nullptr) {
        std::fprintf(stderr, "Error: Filename not given\n");
        return 1;
    }

    // The name "-" is standard output, which then carries the file alone.
    std::optional<FileOnStandardOutput> standardOutput;
    if (std::strcmp(settings.fileName, "-") == 0) {
        standardOutput.emplace();
        if (standardOutput->descriptor() < 0) {
            std::fprintf(stderr, "Error: -: standard output cannot be written\n");
            return 1;
        }
        output.descriptor = standardOutput->descriptor();
    }

    bool hasExtension = false;
    std::string extension;
    const OutputKinds::OutputKind& kind = kindToWrite(settings.fileName, output, hasExtension, extension);
    if (!validateSettings(settings, pattern, kind.form == OutputKinds::RenderForm::Instrument)) return 1;
    const std::string refusal = OutputKinds::refusalOf(kind, settings, output);
    if (!refusal.empty()) {
        std::fprintf(stderr, "Error: %s\n", refusal.c_str());
        return 1;
    }
    return renderAndWrite(settings, output, kind, hasExtension, extension, pattern, fontDirectory);
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
