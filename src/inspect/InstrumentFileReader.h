#pragma once

#include <string>

#include "inspect/InspectedFile.h"

// Reads an instrument pattern file (pat, yc4, rgb, xyz): its header, blocks
// and sections, and the picture they stand for. A file that ends inside a
// block, a block that does not fill the header's width, odd counts and bytes
// after the last block are damage; an unknown block mode or sample format is
// UnreadableFile.
InspectedFile readInstrumentFile(const std::string& path);
