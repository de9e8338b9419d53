#pragma once

#include "tools/PatternGen.h"

// The sixteen PM5544 card colours as fixed code values. The card takes them
// from one of three tables, each kept at 12 and at 10 bits, rather than
// computing them: the codes are part of the card and must not move with the
// rounding of a conversion.
namespace PM5544Palette {

constexpr int kSlotCount = 16;

// The palette slots, as the card's drawing refers to them.
enum Slot {
    Black = 0,
    Grey20 = 1,
    Grey40 = 2,
    Grey50 = 3,
    Grey60 = 4,
    Grey75 = 5,
    Grey80 = 6,
    White = 7,
    Yellow75 = 8,
    Cyan75 = 9,
    Green75 = 10,
    Magenta75 = 11,
    Red75 = 12,
    Blue75 = 13,
    Yellow100 = 14,
    Red100 = 15
};

// One slot in constructor order: Y' or G, then Cb or B, then Cr or R.
struct Codes {
    int first;
    int second;
    int third;
};

enum class Table {
    Rgb219,    // R'G'B' on the 219-step range
    YCbCr709,  // Y'CbCr with the Rec. 709 matrix
    YCbCr2020  // Y'CbCr with the Rec. 2020 matrix
};

// The bit depth of the table variant used for a canvas: the 10-bit codes for
// a 10-bit canvas, the 12-bit codes for every other depth.
int tableBits(int canvasBits);

// The axes the codes of a table are expressed on.
PatternGen::colorAxes_e tableAxes(Table table);

// The kSlotCount codes of a table at 10 or 12 bits (see tableBits).
const Codes* tableCodes(Table table, int bits);

}  // namespace PM5544Palette
