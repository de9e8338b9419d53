#pragma once

#include <string>

#include "inspect/InspectedFile.h"

// Reads any file pm5544 writes, telling the kind by its first bytes (not by
// its name): PNG, TIFF, DPX or instrument pattern file. Throws UnreadableFile
// for a file that is none of them, or cannot be opened.
InspectedFile readInspectedFile(const std::string& path);
