#pragma once

#include <cstdint>

#include "writers/DpxHeader.h"

// What pm5544's DPX files hold of a rendered frame: 10-bit data, one 32-bit
// word per pixel for descriptors 50 and 102, and for 4:2:2 (descriptor 100)
// four words per six pixels carrying the chroma of the even pixels only.
namespace DpxLayout {

constexpr int kDatumBits = DPX::kDatumBits;

bool isReadable(int descriptor);
const char* descriptorName(int descriptor);

// The bytes of one line as the writer sizes it: 4:2:2 lines are
// width * 16 / 6 bytes, of which only the whole groups carry data.
long long lineBytes(int descriptor, long long width);

// The pixels of a line that the file holds.
int storedPixels(int descriptor, int width);

// The row a DPX of this descriptor holds of a render row (four left-aligned
// 16-bit samples per pixel): three samples per pixel, each one's top 10
// bits, odd pixels of a 4:2:2 line with the chroma of the pixel before them,
// and zero past the stored pixels.
void rowOf(const uint16_t* renderRow, int width, int descriptor, uint16_t* row);

}  // namespace DpxLayout
