#pragma once

// Fixed figures of the PM5544 card shared by its drawing, shaping and line
// production.
namespace PM5544Constants {

// Narrow features (changes within one standard ramp on both sides) get a
// faster ramp; both clock figures are fixed whatever the canvas size.
constexpr double kFastRiseTimeNs = 15.0;
constexpr double kShapingClockMHz = 74.25;

// The first card sample of every line; the samples before it are black.
constexpr int kFirstRenderedSample = 2;

// Grid line widths handed to the grid primitives.
constexpr int kGridLineWidth = 2;
constexpr int kCentreGridLineWidth = 1;

// The dot texture of the corner circles: pairs of active columns alternate
// with pairs of inactive ones, every second line set on the active ones,
// mirrored about the picture centre in both directions.
inline bool textureFlag(int dx, int dy)
{
    const bool bit1 = ((static_cast<unsigned>(dx) >> 1) & 1u) != 0;
    const bool activeColumn = dx >= 0 ? bit1 : !bit1;
    if (!activeColumn) {
        return false;
    }
    const bool oddLine = (static_cast<unsigned>(dy) & 1u) != 0;
    return dy >= 0 ? oddLine : !oddLine;
}

}  // namespace PM5544Constants
