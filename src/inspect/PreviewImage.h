#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "inspect/CodeFrame.h"
#include "inspect/PreviewDecoder.h"

// An 8-bit R'G'B' picture to look at.
struct PreviewImage {
    int width = 0;
    int height = 0;
    int heldLines = 0;         // lines below these are black and take no memory
    std::vector<uint8_t> rgb;  // three bytes per pixel, row after row, of the held lines

    PreviewImage(int width, int height) : PreviewImage(width, height, height) {}
    PreviewImage(int width, int height, int heldLines);

    void set(int x, int y, Rgb8 colour);
    Rgb8 at(int x, int y) const;

    // Every pixel of the frame through the decoder; pixels the file does not hold are black.
    static PreviewImage of(const CodeFrame& frame, const PreviewDecoder& decode);

    // Writes an 8-bit RGB PNG; false with the reason in `error` when it cannot.
    bool writePng(const std::string& path, std::string& error) const;
};
