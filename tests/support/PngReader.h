#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A decoded PNG: samples in file order, each widened to 16 bits.
struct PngImage {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int channels = 0;
    std::vector<uint16_t> samples;  // width * height * channels

    // Sample `channel` of pixel (x, y).
    uint16_t at(uint32_t x, uint32_t y, int channel) const
    {
        return samples[(static_cast<size_t>(y) * width + x) * channels + channel];
    }
};

// Reads a PNG with libpng, no transformations; `ok` is false when it cannot,
// or when a checksum (a chunk's CRC, the image data's Adler-32) is wrong.
PngImage readPng(const std::string& path);
