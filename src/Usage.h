#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>

// What `pm5544 --help` and `pm5544 --version` print, and the tables the help
// text is made from. The manual page and README.md describe the same options,
// colour-space keywords and output kinds; a test holds the three together.
namespace Usage {

struct Option {
    const char* name;   // as matched on the command line
    const char* value;  // what follows it, or "" for a flag
    const char* effect;
};

// Every option of the command line, in the order the help text lists them.
extern const Option kOptions[];
extern const std::size_t kOptionCount;

struct OutputKind {
    const char* extension;  // without the dot
    const char* output;
};

// Every extension that selects a kind of output file.
extern const OutputKind kOutputKinds[];
extern const std::size_t kOutputKindCount;

// The project version, "X.Y.Z".
const char* version();

void printHelp(std::FILE* out);
void printVersion(std::FILE* out);

// An argument that is exactly "--help" or "--version", wherever it stands,
// asks only for that text: it is printed on standard output and the exit
// status returned. --help wins over --version. Empty when neither is present.
std::optional<int> answerInfoRequest(int argc, char** argv);

}  // namespace Usage
