#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "inspect/FrameShape.h"

// The picture of a file (or of the card rendered for one), one row at a time,
// top row first. This is how pm5544-inspect reads every kind: memory grows
// with the width, never with the area a header claims.
//
// A row holds shape().width pixels of shape().components samples, in the
// component order of FrameShape (Cr or R, Y' or G, Cb or B, alpha), each
// sample holding its code in its top shape().codeBits of shape().storedBits
// bits. Only the first shape().presentWidth pixels of a row are read from the
// file; the others are zero.
//
//     std::vector<uint16_t> row(rows.shape().rowSamples());
//     rows.restart();
//     for (int y = 0; rows.next(row.data()); ++y) { ... }
//
// next() returns false after the last row the file holds: at its last line,
// or where damage stops the reading. Damage met on the way (the file ends
// early, a block does not add up, bytes follow the end) is in problems(),
// complete once next() has returned false. restart() starts a new pass from
// the first row and empties problems(); a pass reads the same rows as the last.
//
// A file's rows come from openInspectedFile (InspectedFile.h); the card
// rendered for that file, in the same layout, from ReferenceRows
// (ReferenceRows.h), which is a FileRows too: the two are read side by side.
class FileRows {
public:
    virtual ~FileRows() = default;

    const FrameShape& shape() const { return shape_; }
    // The depth the codes are read at (the file does not always record it).
    void setCodeBits(int bits) { shape_.codeBits = bits; }
    void setPresentHeight(int lines) { shape_.presentHeight = lines; }

    virtual void restart() = 0;
    virtual bool next(uint16_t* row) = 0;

    const std::vector<std::string>& problems() const { return problems_; }

protected:
    FrameShape shape_;
    std::vector<std::string> problems_;
};
