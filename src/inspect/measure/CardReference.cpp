#include "inspect/measure/CardReference.h"

#include <vector>

#include "inspect/QuietStdout.h"
#include "rows/ImageRows.h"
#include "tools/SampleLayout.h"

namespace {

constexpr int kRowSamples = SampleLayout::kImageSamplesPerPixel;
constexpr int kStoredBits = 16;

}  // namespace

CardReference CardReference::render(const RunSettings& s)
{
    CardReference reference;
    reference.card = std::make_unique<PhilipsPm5544Spec>();
    PhilipsPm5544Spec& card = *reference.card;
    card.renderLinesOnDemand = true;
    QuietStdout quiet;
    card.init(s.width, s.height, s.aspectWidth, s.aspectHeight, s.axes, s.sampling, s.bitDepth, s.fullRange,
              PatternGen::Quadrant_None, 0, false, "");
    card.render_text(s.width, s.height);

    MeasureFrame& frame = reference.frame;
    frame = MeasureFrame(s.width, s.height, s.bitDepth);
    ImageRows rows(card, s.width, s.height);
    rows.roundTo(s.bitDepth);
    std::vector<uint16_t> row(static_cast<std::size_t>(s.width) * kRowSamples);
    const int shift = kStoredBits - s.bitDepth;
    for (int y = 0; y < s.height; ++y) {
        rows.next(row.data());
        for (int p = 0; p < MeasureFrame::kPlanes; ++p) {
            uint16_t* out = frame.row(p, y);
            for (int x = 0; x < s.width; ++x) out[x] = static_cast<uint16_t>(row[x * kRowSamples + p] >> shift);
        }
    }
    return reference;
}
