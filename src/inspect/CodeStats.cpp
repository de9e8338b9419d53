#include "inspect/CodeStats.h"

#include <algorithm>

namespace {

constexpr int kSmallestRenderedDepth = 8;

}  // namespace

CodeStats::CodeStats(const FrameShape& shape)
    : shape_(shape), pairs_(shape.presentWidth >= 2), above_(shape.rowSamples())
{
}

void CodeStats::add(const uint16_t* row)
{
    const std::size_t components = static_cast<std::size_t>(shape_.components);
    const std::size_t samples = static_cast<std::size_t>(shape_.presentWidth) * components;
    unsigned used = 0;
    for (std::size_t i = 0; i < samples; ++i) used |= row[i];
    used_ |= used;
    // The sampling is looked for only while the rows still show it.
    if (pairs_) {
        for (const std::size_t c : {std::size_t{FrameShape::kCrOrR}, std::size_t{FrameShape::kCbOrB}}) {
            for (std::size_t i = components + c; i < samples && pairs_; i += 2 * components) {
                pairs_ = row[i] == row[i - components];
            }
        }
    }
    if (pairs_ && linePairs_ && (rows_ & 1) != 0) {
        for (const std::size_t c : {std::size_t{FrameShape::kCrOrR}, std::size_t{FrameShape::kCbOrB}}) {
            for (std::size_t i = c; i < samples && linePairs_; i += components) linePairs_ = row[i] == above_[i];
        }
    }
    if (pairs_ && linePairs_) std::copy(row, row + samples, above_.begin());
    ++rows_;
}

int CodeStats::narrowestCodeBits() const
{
    int bits = shape_.storedBits;
    while (bits > kSmallestRenderedDepth && (used_ & (1u << (shape_.storedBits - bits))) == 0) --bits;
    return bits;
}

PatternGen::sampling_e CodeStats::apparentSampling() const
{
    if (!pairs_ || rows_ == 0) return PatternGen::Sampling_444;
    return linePairs_ && rows_ >= 2 ? PatternGen::Sampling_420 : PatternGen::Sampling_422;
}
