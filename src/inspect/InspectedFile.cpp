#include "inspect/InspectedFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "inspect/DpxFileReader.h"
#include "inspect/InputBytes.h"
#include "inspect/InstrumentFileReader.h"
#include "inspect/PngFileReader.h"
#include "inspect/TiffFileReader.h"
#include "inspect/UnreadableFile.h"
#include "inspect/Y4mFileReader.h"

namespace {

constexpr std::size_t kSignatureSize = 9;

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

const char* fileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Png: return "PNG";
    case FileKind::Tiff: return "TIFF";
    case FileKind::Dpx: return "DPX";
    case FileKind::PatternFile: return "instrument pattern file";
    case FileKind::Y4m: return "YUV4MPEG2";
    }
    return "unknown";
}

bool depthShownByCodes(FileKind kind)
{
    switch (kind) {
    case FileKind::Png:
    case FileKind::Tiff:
    case FileKind::Y4m: return true;
    case FileKind::Dpx:
    case FileKind::PatternFile: return false;
    }
    return false;
}

bool renderedDepthShownByCodes(FileKind kind)
{
    switch (kind) {
    case FileKind::Png:
    case FileKind::Y4m: return true;
    case FileKind::Tiff:
    case FileKind::Dpx:
    case FileKind::PatternFile: return false;
    }
    return false;
}

OpenedFile openInspectedFile(const InputBytes& input, int y4mFrame)
{
    char head[kSignatureSize];
    const std::string bytes(head, input.read(0, head, sizeof head));
    OpenedFile opened;
    InspectedFile& file = opened.file;
    file.path = input.name();
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) {
        file.kind = FileKind::Png;
        opened.rows = openPngFile(input, file);
    } else if (startsWith(bytes, "II*\0", 4) || startsWith(bytes, "MM\0*", 4) || startsWith(bytes, "II+\0", 4) ||
               startsWith(bytes, "MM\0+", 4)) {
        file.kind = FileKind::Tiff;
        opened.rows = openTiffFile(input, file);
    } else if (startsWith(bytes, "SDPX", 4) || startsWith(bytes, "XPDS", 4)) {
        file.kind = FileKind::Dpx;
        opened.rows = openDpxFile(input, file);
    } else if (startsWith(bytes, "PATTERN\0", 8)) {
        file.kind = FileKind::PatternFile;
        opened.rows = openInstrumentFile(input, file);
    } else if (startsWith(bytes, "YUV4MPEG2", 9)) {
        file.kind = FileKind::Y4m;
        opened.rows = openY4mFile(input, file, y4mFrame);
    } else if (bytes.empty()) {
        throw UnreadableFile("it is empty");
    } else {
        throw UnreadableFile("it is not a PNG, TIFF, DPX, instrument pattern or YUV4MPEG2 file (it begins " +
                             hexOf(bytes) + ")");
    }
    if (opened.rows != nullptr) file.shape = opened.rows->shape();
    return opened;
}
