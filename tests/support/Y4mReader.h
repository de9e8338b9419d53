#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A YUV4MPEG2 stream read back: its header line and every frame's planes.
// The chroma layout and depth come from the C field alone, as readers take them.
struct Y4mStream {
    bool ok = false;
    std::string error;   // why ok is false
    std::string header;  // the header line, without its newline
    int width = 0;
    int height = 0;
    std::string colour;  // the C field: "422p10", "420paldv", ...
    int depth = 8;       // bits of a stored sample
    int chromaWidth = 0;
    int chromaHeight = 0;
    std::vector<std::string> frames;  // the bytes of each frame's planes

    enum Plane { Y = 0, Cb = 1, Cr = 2 };

    // The stored sample at (x, y) of `plane` in frame `frame`.
    uint16_t at(Plane plane, int x, int y, std::size_t frame = 0) const;
};

Y4mStream parseY4m(const std::string& bytes);
Y4mStream readY4m(const std::string& path);
