#include "inspect/InspectedFileReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "inspect/DpxFileReader.h"
#include "inspect/InstrumentFileReader.h"
#include "inspect/PngFileReader.h"
#include "inspect/TiffFileReader.h"
#include "inspect/UnreadableFile.h"

namespace {

constexpr std::size_t kSignatureSize = 8;

bool startsWith(const std::string& bytes, const char* signature, std::size_t size)
{
    return bytes.size() >= size && bytes.compare(0, size, std::string(signature, size)) == 0;
}

std::string hexOf(const std::string& bytes)
{
    std::string text;
    char hex[4];
    for (unsigned char c : bytes) {
        std::snprintf(hex, sizeof hex, "%02x ", c);
        text += hex;
    }
    return text.empty() ? text : text.substr(0, text.size() - 1);
}

}  // namespace

InspectedFile readInspectedFile(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw UnreadableFile(std::string("cannot open it: ") + std::strerror(errno));
    char head[kSignatureSize];
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) throw UnreadableFile(std::string("cannot read it: ") + std::strerror(error));
    const std::string bytes(head, got);

    if (startsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) return readPngFile(path);
    if (startsWith(bytes, "II*\0", 4) || startsWith(bytes, "MM\0*", 4) || startsWith(bytes, "II+\0", 4) ||
        startsWith(bytes, "MM\0+", 4)) {
        return readTiffFile(path);
    }
    if (startsWith(bytes, "SDPX", 4) || startsWith(bytes, "XPDS", 4)) return readDpxFile(path);
    if (startsWith(bytes, "PATTERN\0", 8)) return readInstrumentFile(path);
    if (bytes.empty()) throw UnreadableFile("it is empty");
    throw UnreadableFile("it is not a PNG, TIFF, DPX or instrument pattern file (it begins " + hexOf(bytes) + ")");
}
