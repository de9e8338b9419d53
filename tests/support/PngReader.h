#pragma once

#include <gtest/gtest.h>

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

    // Sample `channel` of pixel (x, y). Outside the decoded picture (a file
    // that could not be read, or a smaller one) it fails the test and reads 0,
    // instead of reading outside the samples.
    uint16_t at(uint32_t x, uint32_t y, int channel) const
    {
        if (x >= width || y >= height || channel < 0 || channel >= channels || samples.empty()) {
            ADD_FAILURE() << "sample " << channel << " of pixel " << x << "," << y << " is outside the " << width << "x"
                          << height << " picture of " << channels << " channels";
            return 0;
        }
        return samples[(static_cast<size_t>(y) * width + x) * channels + channel];
    }
};

// Reads a PNG with libpng, no transformations; `ok` is false when it cannot,
// or when a checksum (a chunk's CRC, the image data's Adler-32) is wrong.
PngImage readPng(const std::string& path);
