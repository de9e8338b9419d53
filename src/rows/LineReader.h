#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "tools/Pixel.h"
#include "tools/PixelEquality.h"

class PatternSpec;

// The samples x = xFirst ... xFirst + count - 1 of a pattern's lines as
// indices into a table of distinct colours: the pattern's own table when it
// keeps one and the range is its whole line (PatternSpec::indexedLine), else
// a table built here from what body() answers for each sample.
class LineReader {
public:
    LineReader(PatternSpec& pattern, int xFirst, int count);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Line y; valid until the next call.
    const uint32_t* line(int y);

    // The colours the indices refer to. It only grows: an index keeps its colour.
    const std::vector<Pixel>& colours() const { return *colours_; }

private:
    struct PixelHash {
        std::size_t operator()(const Pixel& p) const { return pixelHash(p); }
    };
    struct PixelIdentical {
        bool operator()(const Pixel& a, const Pixel& b) const { return identicalPixels(a, b); }
    };

    PatternSpec& pattern_;
    int xFirst_;
    int count_;
    bool native_;
    const std::vector<Pixel>* colours_;
    std::vector<Pixel> own_;
    std::unordered_map<Pixel, uint32_t, PixelHash, PixelIdentical> indexOf_;
    std::vector<uint32_t> line_;
};
