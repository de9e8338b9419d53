#pragma once

#include <cstdint>
#include <vector>

#include "rows/CanvasConversion.h"

// Every colour of a growing table converted to the canvas axes, once each.
class ConvertedColours {
public:
    ConvertedColours(PatternGen::colorAxes_e axes, CanvasConversion::CodeDepth depth) : toCanvas_(axes, depth) {}

    // Converts the colours added to `table` since the last call; returns how
    // many were added.
    std::size_t update(const std::vector<Pixel>& table)
    {
        const std::size_t added = table.size() - converted_.size();
        for (std::size_t i = converted_.size(); i < table.size(); ++i) {
            converted_.push_back(toCanvas_(table[i]));
        }
        return added;
    }

    const Pixel& operator[](uint32_t index) const { return converted_[index]; }
    std::size_t size() const { return converted_.size(); }

private:
    CanvasConversion toCanvas_;
    std::vector<Pixel> converted_;
};
