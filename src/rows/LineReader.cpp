#include "rows/LineReader.h"

#include "patterns/PatternWrapper.h"

LineReader::LineReader(PatternSpec& pattern, int xFirst, int count)
    : pattern_(pattern), xFirst_(xFirst), count_(count > 0 ? count : 0), colours_(&own_)
{
    const std::vector<Pixel>* table = pattern.colourTable();
    native_ = table != nullptr && xFirst == 0 && count == pattern.width;
    if (native_) {
        colours_ = table;
    }
    line_.resize(static_cast<std::size_t>(count_));
}

const uint32_t* LineReader::line(int y)
{
    if (native_) {
        return pattern_.indexedLine(y);
    }
    // Neighbouring samples are mostly the same colour: compare with the last
    // one before looking the colour up.
    uint32_t last = 0;
    for (int i = 0; i < count_; ++i) {
        const Pixel p = pattern_.body(xFirst_ + i, y);
        if (i == 0 || !identicalPixels(p, own_[last])) {
            const auto found = indexOf_.find(p);
            if (found != indexOf_.end()) {
                last = found->second;
            } else {
                last = static_cast<uint32_t>(own_.size());
                own_.push_back(p);
                indexOf_.emplace(p, last);
            }
        }
        line_[static_cast<std::size_t>(i)] = last;
    }
    return line_.data();
}
