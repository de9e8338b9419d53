#include "inspect/CodeStats.h"

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
    const bool oddLine = (rows_ & 1) != 0;
    for (int x = 0; x < shape_.presentWidth; ++x) {
        const uint16_t* p = row + static_cast<std::size_t>(x) * components;
        for (std::size_t c = 0; c < components; ++c) used_ |= p[c];
        for (int c : {FrameShape::kCrOrR, FrameShape::kCbOrB}) {
            pairs_ = pairs_ && ((x & 1) == 0 ||
                                p[c] == p[static_cast<std::ptrdiff_t>(c) - static_cast<std::ptrdiff_t>(components)]);
            linePairs_ =
                linePairs_ &&
                (!oddLine || p[c] == above_[static_cast<std::size_t>(x) * components + static_cast<std::size_t>(c)]);
        }
    }
    above_.assign(row, row + shape_.rowSamples());
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
