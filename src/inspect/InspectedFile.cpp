#include "inspect/InspectedFile.h"

const char* fileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Png: return "PNG";
    case FileKind::Tiff: return "TIFF";
    case FileKind::Dpx: return "DPX";
    case FileKind::PatternFile: return "instrument pattern file";
    }
    return "unknown";
}
