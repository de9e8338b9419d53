#include "Usage.h"

#include <cstring>
#include <string>

#include "tools/ColourKeywords.h"

#ifndef PM5544_VERSION
#error "PM5544_VERSION must come from the build (the CMake project version)"
#endif

namespace Usage {

namespace {

const char* const kHelpArgument = "--help";
const char* const kVersionArgument = "--version";

// Help lines stay within a terminal of 80 columns.
constexpr std::size_t kLineWidth = 79;
constexpr int kOptionColumn = 18;
constexpr int kExtensionColumn = 6;
const char* const kIndent = "  ";

}  // namespace

const Option kOptions[] = {
    {"-d", "WxH", "size in samples x lines (default 1920x1080; -d W: width)"},
    {"-a", "WxH", "display aspect ratio (default 16x9; -a W: the first number)"},
    {"-c", "SPACE", "colour space (default RGB), one of the keywords below"},
    {"-s", "444|422|420", "chroma sampling (default 444)"},
    {"-b", "BITS", "bit depth of the code values, 8 to 16 (default 12)"},
    {"-fr", "", "no effect: the card's palette is in studio-range codes"},
    {"-q", "TL|TR|BL|BR", "quadrant mode (deprecated; the PM5544 card refuses it)"},
    {"-u", "", "run the colour self-test, render nothing (exit status 1)"},
    {"-i", "ARG", "skip the line-end shaping; ARG is consumed unread"},
    {"-o", "N", "accepted and passed through; no effect"},
    {"-e", "", "accepted; no effect"},
    {"-v", "", "accepted; no effect"},
    {"-no_compress", "", "accepted; no effect"},
    {"--format", "KIND", "the kind to write, whatever NAME says (one of those below)"},
    {"--frames", "N", "y4m frames (default 1); 0: until the reader stops"},
    {"--rate", "R", "y4m frames per second: 25 (default), 50, 30000/1001, ..."},
    {"--field-order", "F", "y4m field order: progressive (default), tff or bff"},
    {kHelpArgument, "", "print this help and exit"},
    {kVersionArgument, "", "print the version and exit"},
};
const std::size_t kOptionCount = sizeof kOptions / sizeof kOptions[0];

const OutputKind kOutputKinds[] = {
    {"png", "16-bit RGBA PNG; also any other extension, or none"},
    {"tif", "LZW-compressed 16-bit TIFF with the line-repeat tag"},
    {"dpx", "10-bit DPX"},
    {"pat", "instrument pattern, Y'CbCr 4:2:2 (-b 12, a Y'CbCr space, -s 422)"},
    {"yc4", "instrument pattern, Y'CbCr 4:4:4 (-b 12, a Y'CbCr space, -s 444)"},
    {"rgb", "instrument pattern, R'G'B' (-b 12, RGB-headroom or R'G'B' HDR)"},
    {"xyz", "instrument pattern, X'Y'Z' from R'G'B' (needs as for rgb)"},
    {"y4m", "YUV4MPEG2 stream of the Y'CbCr codes at the -b depth (not R'G'B')"},
};
const std::size_t kOutputKindCount = sizeof kOutputKinds / sizeof kOutputKinds[0];

const char* version()
{
    return PM5544_VERSION;
}

void printVersion(std::FILE* out)
{
    std::fprintf(out, "pm5544 %s\n", version());
}

void printHelp(std::FILE* out)
{
    std::fputs(
        "Usage: pm5544 [options] NAME\n"
        "       pm5544 -u [options]\n"
        "       pm5544 --help | --version\n"
        "\n"
        "Renders one frame of the PM5544 test card and writes it to the file NAME,\n"
        "in the kind of file its extension (or --format) selects. NAME - is standard\n"
        "output, which then holds the file alone: the lines printed for the user go\n"
        "to standard error.\n"
        "\n"
        "Options (whole arguments only; later ones override earlier ones; any other\n"
        "argument is the file name, and the last one wins; a double-dash option\n"
        "without a valid value is an error):\n",
        out);
    for (const Option& o : kOptions) {
        const std::string head = *o.value != '\0' ? std::string(o.name) + " " + o.value : o.name;
        std::fprintf(out, "%s%-*s %s\n", kIndent, kOptionColumn - 1, head.c_str(), o.effect);
    }

    std::fputs(
        "\nColour spaces (-c), compared exactly; 601, 709 and 2020 are the Y'CbCr\n"
        "matrices, and another number leaves the colour space unchanged:\n",
        out);
    std::string line = kIndent;
    for (std::size_t i = 0; i < ColourKeywords::kCount; ++i) {
        const std::string word = ColourKeywords::kTable[i].text;
        if (line.size() > std::strlen(kIndent) && line.size() + 1 + word.size() > kLineWidth) {
            std::fprintf(out, "%s\n", line.c_str());
            line = kIndent;
        }
        if (line.size() > std::strlen(kIndent)) line += ' ';
        line += word;
    }
    std::fprintf(out, "%s\n", line.c_str());

    std::fputs("\nOutput, by --format or the text after the last \".\" of NAME (exactly):\n", out);
    for (std::size_t i = 0; i < kOutputKindCount; ++i) {
        std::fprintf(out, "%s%-*s %s\n", kIndent, kExtensionColumn - 1, kOutputKinds[i].extension,
                     kOutputKinds[i].output);
    }

    std::fputs(
        "\nExit status:\n"
        "  0  the file was written, or --help or --version answered\n"
        "  1  a failure, with its message: on standard output for settings that an\n"
        "     instrument file cannot hold and files a writer could not write (their\n"
        "     reason on standard error; all on standard error when NAME is -), else\n"
        "     on standard error; always after -u\n"
        "\n"
        "See pm5544(1) for the file formats and examples.\n",
        out);
}

std::optional<int> answerInfoRequest(int argc, char** argv)
{
    bool help = false;
    bool versionAsked = false;
    for (int i = 1; i < argc; ++i) {
        help = help || std::strcmp(argv[i], kHelpArgument) == 0;
        versionAsked = versionAsked || std::strcmp(argv[i], kVersionArgument) == 0;
    }
    if (help) {
        printHelp(stdout);
        return 0;
    }
    if (versionAsked) {
        printVersion(stdout);
        return 0;
    }
    return std::nullopt;
}

}  // namespace Usage
