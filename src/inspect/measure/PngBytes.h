#pragma once

#include <string>

#include "inspect/measure/RgbPicture.h"

// The picture as the bytes of an 8-bit RGB PNG file, made in memory (for a
// page that carries its pictures inside it); empty if libpng fails.
std::string pngBytes(const RgbPicture& picture);
