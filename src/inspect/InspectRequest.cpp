#include "inspect/InspectRequest.h"

#include <cstdio>
#include <cstring>
#include <string>

const char* const kInspectUsage =
    "usage: pm5544-inspect [options] FILE\n"
    "Reads a PNG, TIFF, DPX, instrument pattern or YUV4MPEG2 file that pm5544 wrote;\n"
    "FILE - reads standard input.\n"
    "  (no action)       print a summary of the file\n"
    "  --at X,Y          print the code values of one pixel\n"
    "  --preview OUT.png write an 8-bit sR'G'B' picture of the file\n"
    "  --compare         compare with the card rendered in memory, by card region\n"
    "  --diff OUT.png    with --compare: write a picture marking the differing pixels\n"
    "  --frame K         the frame of a YUV4MPEG2 stream to read (from 0; default 0)\n"
    "  -d -a -c -s -b -fr  pm5544's settings: how to read the file, what to compare with\n"
    "exit status: 0 fine and identical, 1 damaged or different, 2 cannot read or cannot do\n";

namespace {

bool is(const char* arg, const char* option)
{
    return std::strcmp(arg, option) == 0;
}

const char* valueOf(int argc, char** argv, int& i)
{
    if (i + 1 >= argc) throw std::invalid_argument(std::string(argv[i]) + " needs a value");
    return argv[++i];
}

}  // namespace

InspectRequest InspectRequest::parse(int argc, char** argv)
{
    InspectRequest request;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        switch (request.canvas.read(argc, argv, i)) {
        case CardOptions::Read::Taken: continue;
        case CardOptions::Read::Unrecognised:
            throw std::invalid_argument(unrecognisedColourSpace(request.canvas.rejected));
        case CardOptions::Read::NotCardOption: break;
        }
        if (is(arg, "--at")) {
            const char* value = valueOf(argc, argv, i);
            char end = '\0';
            if (std::sscanf(value, "%d,%d%c", &request.atX, &request.atY, &end) != 2) {
                throw std::invalid_argument(std::string("--at wants X,Y, not ") + value);
            }
            request.at = true;
        } else if (is(arg, "--preview")) {
            request.preview = valueOf(argc, argv, i);
        } else if (is(arg, "--compare")) {
            request.compare = true;
        } else if (is(arg, "--diff")) {
            request.diff = valueOf(argc, argv, i);
        } else if (is(arg, "--frame")) {
            const char* value = valueOf(argc, argv, i);
            char end = '\0';
            if (std::sscanf(value, "%d%c", &request.frame, &end) != 1 || request.frame < 0) {
                throw std::invalid_argument(std::string("--frame wants a frame number from 0, not ") + value);
            }
        } else if (is(arg, "-h") || is(arg, "--help")) {
            request.help = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            throw std::invalid_argument(std::string("unknown option ") + arg);
        } else if (!request.file.empty()) {
            throw std::invalid_argument("one file at a time (" + request.file + ", " + arg + ")");
        } else {
            request.file = arg;
        }
    }
    if (!request.diff.empty() && !request.compare) throw std::invalid_argument("--diff goes with --compare");
    if (request.file.empty() && !request.help) throw std::invalid_argument("no file named");
    return request;
}
