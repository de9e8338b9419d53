#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A decoded TIFF of contiguous 16-bit samples, in file order and host byte order.
struct TiffImage {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    int photometric = 0;
    std::vector<uint16_t> samples;  // width * height * channels
};

// Reads a TIFF with libtiff; `ok` is false when it cannot, or when it holds
// anything but contiguous 16-bit samples.
TiffImage readTiff(const std::string& path);
