// The command line, fuzzed: the driver is called as a function with a fresh
// card for every input. The input is a list of arguments, each ended by a
// newline or a NUL, that follow the program name.
//
// So that every input runs in milliseconds and writes nowhere else:
// - every argument the driver would take as the file name is put in a
//   private scratch folder ('/' in any argument becomes '_', so no name
//   leaves it), extension and all;
// - the arguments are preceded by "-d 32x18", and an input whose canvas
//   (four times as large in quadrant mode) would hold more than kMaxSamples
//   samples is skipped, unless the card cannot be drawn at that size and
//   the driver must refuse it; so is a stream of more than kMaxFrames frames.
// Any exit status but 0 and 1 aborts, and libFuzzer reports the input.

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "FuzzScratch.h"
#include "PatternRender.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

namespace {

constexpr std::size_t kMaxArguments = 32;
constexpr long long kMaxSamples = 4096;
constexpr long long kMaxFrames = 4;
const char* const kStartSize = "32x18";

bool isOneOf(const std::string& arg, std::initializer_list<const char*> words)
{
    for (const char* w : words) {
        if (arg == w) return true;
    }
    return false;
}

// The options that take the next argument as their value.
bool takesValue(const std::string& arg)
{
    return isOneOf(arg,
                   {"-b", "-d", "-a", "-c", "-s", "-q", "-o", "-i", "--format", "--frames", "--rate", "--field-order"});
}

bool isWord(const std::string& arg)
{
    return takesValue(arg) || isOneOf(arg, {"-u", "-fr", "-e", "-v", "-no_compress", "--help", "--version"});
}

// Splits the input into arguments; '/' becomes '_'.
std::vector<std::string> splitArguments(const uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < size && args.size() < kMaxArguments; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\0') {
            args.push_back(current);
            current.clear();
            open = false;
            continue;
        }
        current += c == '/' ? '_' : c;
        open = true;
    }
    if (open && args.size() < kMaxArguments) args.push_back(current);
    return args;
}

// Reads the arguments as the driver does: finds the canvas size and aspect it
// will use and moves every file-name candidate into the scratch folder. False
// when the canvas is too large to render quickly but one the card can be
// drawn at, or the stream has too many frames.
bool prepareArguments(std::vector<std::string>& args)
{
    long long width = 0;
    long long height = 0;
    int aspectWidth = 16;
    int aspectHeight = 9;
    bool quadrant = false;
    long long frames = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!isWord(args[i])) {
            args[i] = FuzzScratch::folder() + "/" + args[i];
            continue;
        }
        if (!takesValue(args[i]) || i + 1 == args.size()) continue;
        const std::string& value = args[i + 1];
        if (args[i] == "-d") {
            int a = 0;
            int b = 0;
            const int n = std::sscanf(value.c_str(), "%dx%d", &a, &b);
            if (n >= 1) width = a;
            if (n == 2) height = b;
        } else if (args[i] == "-a") {
            int a = 0;
            int b = 0;
            const int n = std::sscanf(value.c_str(), "%dx%d", &a, &b);
            if (n >= 1) aspectWidth = a;
            if (n == 2) aspectHeight = b;
        } else if (args[i] == "-q" && isOneOf(value, {"TR", "BR", "BL", "TL"})) {
            quadrant = true;
        } else if (args[i] == "--frames") {
            frames = std::strtoll(value.c_str(), nullptr, 10);
        }
        ++i;
    }
    if (frames > kMaxFrames) return false;
    const long long scale = quadrant ? 2 : 1;
    const long long samples = width * height * scale * scale;
    if (width < 1 || height < 1 || aspectWidth < 1 || aspectHeight < 1 || samples <= kMaxSamples) return true;
    const int common = std::gcd(aspectWidth, aspectHeight);
    return !PhilipsPm5544Spec().drawableAt(width * scale, height * scale, aspectWidth / common, aspectHeight / common);
}

// A finding: its name is in the stack that libFuzzer prints.
[[noreturn]] void exitStatusOtherThanZeroOrOne(int status)
{
    std::fprintf(stderr, "pm5544 fuzz: exit status %d\n", status);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // As the program does: failed writes are reported, not signalled.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    FuzzScratch::folder();
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<std::string> args = splitArguments(data, size);
    if (!args.empty()) args.insert(args.begin(), {"-d", kStartSize});
    if (!prepareArguments(args)) return -1;  // not added to the corpus

    std::vector<char*> argv;
    std::string program = "pm5544";
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int status;
    {
        PhilipsPm5544Spec pattern;
        status = PatternRender::renderPattern(static_cast<int>(argv.size() - 1), argv.data(), pattern);
    }
    FuzzScratch::empty();
    if (status != 0 && status != 1) exitStatusOtherThanZeroOrOne(status);
    return 0;
}
