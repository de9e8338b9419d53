#include "rows/TiffRows.h"

#include <cstddef>
#include <cstring>

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
    if (converted_.update(reader_.colours()) != 0) {
        for (std::size_t i = samples_.size(); i < converted_.size(); ++i) {
            const Pixel& c = converted_[static_cast<uint32_t>(i)];
            samples_.push_back(rgb_ ? Samples{leftAligned(c.cr), leftAligned(c.y), leftAligned(c.cb)}
                                    : Samples{leftAligned(c.y), leftAligned(c.cb), leftAligned(c.cr)});
        }
    }
    // Each sample's three values come from the table of the line's colours.
    const Samples* table = samples_.data();
    for (int x = 0; x < width_; ++x, out += SampleLayout::kTiffSamplesPerPixel) {
        const Samples s = table[line[x]];
        std::memcpy(out, s.data(), sizeof s);
    }
}
