#pragma once

#include <memory>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

// An instrument pattern file (pat, rgb, yc4, xyz): its header, block,
// section and sample counts, and the lines its blocks cover, each block's
// line repeated as often as it counts. Rows are three codes per pixel, not
// shifted (12-bit, or 10-bit for the HDR Y'CbCr canvases). A file that ends
// inside a block, a block whose samples do not make the header's width and
// bytes after the last block are damage.
std::unique_ptr<FileRows> openInstrumentFile(const InputBytes& input, InspectedFile& file);
