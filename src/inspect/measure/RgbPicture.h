#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "inspect/PreviewDecoder.h"

// A small 8-bit R'G'B' picture made whole in memory, for the report page.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // three bytes per pixel, row after row; black when made

    RgbPicture(int width, int height)
        : width(width), height(height), rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0)
    {
    }

    void set(int x, int y, Rgb8 colour)
    {
        uint8_t* p =
            &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
    }
    const uint8_t* row(int y) const { return &rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3]; }
};
