// pm5544-inspect as a whole, fuzzed: its driver is called as a function on
// the input written to a file, for a summary, --at, --preview, --compare or
// --compare --diff, with one of a few settings, read by name or as standard
// input ("-"). The input's first four bytes choose: the action, the
// settings, and the pixel of --at; the rest is the file.
//
// So that every input runs in milliseconds, the actions that make pictures
// (--preview, --compare, --diff) run only on pictures of at most kMostPixels;
// larger claims still get their summary and --at. Any exit status but 0, 1
// and 2 aborts, and libFuzzer reports the input.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzReading.h"
#include "FuzzScratch.h"
#include "inspect/InputBytes.h"
#include "inspect/InspectCommand.h"
#include "inspect/InspectedFile.h"
#include "inspect/UnreadableFile.h"

namespace {

constexpr std::size_t kChoices = 4;
constexpr long long kMostPixels = 128 * 128;
constexpr unsigned kStandardInputBit = 0x80;

const std::vector<std::vector<std::string>> kSettings = {
    {},           {"-c", "709"}, {"-c", "709", "-s", "422", "-b", "10"},  {"-c", "PQ"}, {"-c", "RGB-headroom"},
    {"-b", "10"}, {"-fr"},       {"-c", "2020", "-s", "420", "-b", "11"},
};

// The picture's area as its headers claim it; 0 when there is none to read.
long long claimedPixels(const std::string& path)
{
    try {
        const InputBytes input(path);
        const OpenedFile opened = openInspectedFile(input);
        if (opened.rows == nullptr) return 0;
        return static_cast<long long>(opened.rows->shape().width) * opened.rows->shape().height;
    } catch (const UnreadableFile&) {
        return 0;
    }
}

int runInspector(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    return InspectCommand::run(static_cast<int>(words.size()), argv.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < kChoices) return 0;
    FuzzScratch::silenceStdout();
    const std::string path = FuzzReading::writeInput(data + kChoices, size - kChoices);
    const unsigned action = data[0] & ~kStandardInputBit;
    const bool standardInput = (data[0] & kStandardInputBit) != 0;
    std::vector<std::string> words = {"pm5544-inspect"};
    const std::vector<std::string>& settings = kSettings[data[1] % kSettings.size()];
    words.insert(words.end(), settings.begin(), settings.end());
    const std::string preview = FuzzScratch::folder() + "/preview.png";
    const std::string diff = FuzzScratch::folder() + "/diff.png";
    const bool pictures = claimedPixels(path) <= kMostPixels;
    switch (action % 5) {
    case 0: break;
    case 1:
        words.insert(words.end(), {"--at", std::to_string(data[2] % 64) + "," + std::to_string(data[3] % 64)});
        break;
    case 2:
        if (!pictures) return 0;
        words.insert(words.end(), {"--preview", preview});
        break;
    case 3:
        if (!pictures) return 0;
        words.push_back("--compare");
        break;
    default:
        if (!pictures) return 0;
        words.insert(words.end(), {"--compare", "--diff", diff});
        break;
    }
    int saved = -1;
    if (standardInput) {
        const int fd = open(path.c_str(), O_RDONLY);
        saved = dup(STDIN_FILENO);
        if (fd < 0 || saved < 0 || dup2(fd, STDIN_FILENO) < 0) std::abort();
        close(fd);
        words.push_back("-");
    } else {
        words.push_back(path);
    }
    const int status = runInspector(words);
    if (saved >= 0) {
        dup2(saved, STDIN_FILENO);
        close(saved);
    }
    FuzzScratch::empty();
    if (status < 0 || status > 2) std::abort();
    return 0;
}
