#pragma once

#include <memory>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

// A YUV4MPEG2 stream as pm5544 writes it: planar Y'CbCr 4:4:4, 4:2:2 or
// 4:2:0 (C tags 444, 422, 420paldv, 420jpeg, 420mpeg2 and 420 at 8 bits;
// 444pN, 422pN, 420pN at N = 9, 10, 12, 14 or 16 bits, two bytes a sample,
// little-endian, the value in the low bits). The summary gives the header's
// fields and the number of frames; the rows are those of frame `frame`, three
// samples per pixel, the chroma of the even samples (and in 4:2:0 of the even
// lines) repeated on the odd ones as the card's buffers hold it. A frame cut
// off, bytes that are no frame and a header without a size are damage; other
// tags' layouts are UnreadableFile.
std::unique_ptr<FileRows> openY4mFile(const InputBytes& input, InspectedFile& file, int frame);
