#pragma once

#include <memory>
#include <vector>

#include "inspect/FileRows.h"
#include "inspect/InspectedFile.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "settings/RunSettings.h"
#include "writers/writeVantoKeplo.h"

class ImageRows;
class TiffRows;

// The card as pm5544 would have written it into a file of this one's kind,
// made row by row through the library as pm5544 makes it: the rows the driver
// uses for that kind, then its own after-steps (rounding to the bit depth for
// PNG, DPX and Y4M, the DPX writer's 10-bit data, the Y4M planes' depth,
// X'Y'Z' for xyz files). The rows come in the file's layout, so that the two
// can be read side by side; at most `lines` rows are made.
class ReferenceRows : public FileRows {
public:
    // Throws std::runtime_error when the settings cannot make a file of this
    // layout (a 4:2:2 pattern file from a 4:4:4 canvas, say).
    ReferenceRows(const InspectedFile& file, const RunSettings& settings, int lines);
    ~ReferenceRows() override;
    ReferenceRows(const ReferenceRows&) = delete;
    ReferenceRows& operator=(const ReferenceRows&) = delete;

    // Set up, for regionOf.
    const PhilipsPm5544Spec& card() const { return card_; }

    void restart() override;
    bool next(uint16_t* row) override;

private:
    void makePatternBlocks(int lines);

    FileKind kind_;
    int dpxDescriptor_;
    int patternFormat_;
    RunSettings settings_;
    int lines_;
    int row_ = 0;
    PhilipsPm5544Spec card_;
    std::unique_ptr<ImageRows> image_;
    std::unique_ptr<TiffRows> tiff_;
    std::vector<uint16_t> made_;  // a row as the library makes it
    std::vector<std::unique_ptr<CompressedLine>> blocks_;
    std::size_t block_ = 0;
    long long left_ = 0;
    bool patternSingleBlock_ = false;
    std::vector<Sample> line_;
};
