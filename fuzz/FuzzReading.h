#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"

class InputBytes;

// What the reader targets share: the input is written to a file in the
// scratch folder and opened as pm5544-inspect opens it; UnreadableFile is the
// expected refusal. When the reader hands out rows, they are read twice, and
// both passes must give the same rows and damage, never more rows than the
// header's height, nothing past the width (the sanitizers watch the memory).
// Pictures of more than kMostPixels are opened but not read, so that every
// input runs in milliseconds.
namespace FuzzReading {

constexpr long long kMostPixels = 1 << 14;

using Open = std::function<std::unique_ptr<FileRows>(const InputBytes&, InspectedFile&)>;

// The scratch file holding the input.
std::string writeInput(const uint8_t* data, std::size_t size);

int readAll(const uint8_t* data, std::size_t size, const Open& open);

}  // namespace FuzzReading
