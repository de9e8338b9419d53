#include "rows/TiffRows.h"

#include <cstddef>

#include "patterns/PatternWrapper.h"
#include "tools/SampleLayout.h"

namespace {

using SampleLayout::leftAligned;

}  // namespace

TiffRows::TiffRows(PatternSpec& pattern, int width, int height, std::vector<std::pair<int, int>>& repeats)
    : width_(width > 0 ? width : 0),
      rgb_(pattern.colourSpace.colourIsRGB()),
      reader_(pattern, 0, width),
      converted_(pattern.colourSpace.axis, CanvasConversion::CodeDepth::Render12Bit)
{
    pattern.getLineRepeats(repeats);
    if (repeats.empty()) {
        for (int y = 0; y < height; ++y) {
            lines_.push_back(y);
        }
        return;
    }
    // Stored lines are numbered without gaps; the list may be in any order.
    for (int k = 0;; ++k) {
        auto stored = repeats.begin();
        while (stored != repeats.end() && stored->first != k) {
            ++stored;
        }
        if (stored == repeats.end()) {
            break;
        }
        lines_.push_back(stored->second);
    }
}

void TiffRows::next(uint16_t* out)
{
    const uint32_t* line = reader_.line(lines_[row_++]);
    converted_.update(reader_.colours());
    for (int x = 0; x < width_; ++x, out += SampleLayout::kTiffSamplesPerPixel) {
        const Pixel& c = converted_[line[x]];
        if (rgb_) {
            out[0] = leftAligned(c.cr);
            out[1] = leftAligned(c.y);
            out[2] = leftAligned(c.cb);
        } else {
            out[0] = leftAligned(c.y);
            out[1] = leftAligned(c.cb);
            out[2] = leftAligned(c.cr);
        }
    }
}
