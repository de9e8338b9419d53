#include "inspect/LzwStrip.h"

#include <algorithm>

#include "inspect/InputBytes.h"

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;
constexpr unsigned kClear = 256;
constexpr unsigned kEnd = 257;
constexpr unsigned kFirstFree = 258;
constexpr int kNarrowest = 9;
constexpr int kWidest = 12;
constexpr unsigned kTableSize = 1u << kWidest;

}  // namespace

LzwStrip::LzwStrip(const InputBytes& input, uint64_t offset, uint64_t length, bool compressed)
    : input_(input),
      offset_(offset),
      end_(offset + length),
      compressed_(compressed),
      buffer_(kBufferBytes),
      prefix_(compressed ? kTableSize : 0),
      suffix_(compressed ? kTableSize : 0),
      length_(compressed ? kTableSize : 0),
      free_(kFirstFree),
      width_(kNarrowest)
{
    for (unsigned c = 0; c < kClear && compressed; ++c) {
        suffix_[c] = static_cast<uint8_t>(c);
        length_[c] = 1;
    }
}

bool LzwStrip::fill()
{
    if (offset_ >= end_) return false;
    const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(buffer_.size(), end_ - offset_));
    filled_ = input_.read(offset_, buffer_.data(), want);
    offset_ = filled_ == want ? offset_ + want : end_;
    next_ = 0;
    return filled_ > 0;
}

bool LzwStrip::nextCode(unsigned& code)
{
    while (bitCount_ < width_) {
        if (next_ == filled_ && !fill()) return false;
        bits_ = (bits_ << 8) | buffer_[next_++];
        bitCount_ += 8;
    }
    code = (bits_ >> (bitCount_ - width_)) & ((1u << width_) - 1);
    bitCount_ -= width_;
    return true;
}

bool LzwStrip::read(uint8_t* out, std::size_t size)
{
    std::size_t done = 0;
    if (!compressed_) {
        while (done < size) {
            if (next_ == filled_ && !fill()) return false;
            const std::size_t n = std::min(size - done, filled_ - next_);
            std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(next_),
                      buffer_.begin() + static_cast<std::ptrdiff_t>(next_ + n), out + done);
            next_ += n;
            done += n;
        }
        return true;
    }
    while (done < size) {
        if (!pending_.empty()) {
            out[done++] = pending_.back();
            pending_.pop_back();
            continue;
        }
        unsigned code = 0;
        if (ended_ || !nextCode(code) || code == kEnd) {
            ended_ = true;
            return false;
        }
        if (code == kClear) {
            free_ = kFirstFree;
            width_ = kNarrowest;
            previous_ = -1;
            continue;
        }
        // A code not yet in the table can only be the one about to be added.
        if (code > free_ || (code == free_ && previous_ < 0)) {
            ended_ = true;
            return false;
        }
        const bool known = code < free_;
        unsigned walk = known ? code : static_cast<unsigned>(previous_);
        // The string, last byte first, walked back through its prefixes.
        for (;;) {
            pending_.push_back(suffix_[walk]);
            if (walk < kClear) break;
            walk = prefix_[walk];
        }
        const uint8_t first = pending_.back();
        if (!known) pending_.insert(pending_.begin(), first);
        if (previous_ >= 0 && free_ < kTableSize) {
            prefix_[free_] = static_cast<uint16_t>(previous_);
            suffix_[free_] = first;
            length_[free_] = static_cast<uint16_t>(length_[static_cast<unsigned>(previous_)] + 1);
            ++free_;
            // The writer widens its codes one code early.
            if (free_ + 1 >= (1u << width_) && width_ < kWidest) ++width_;
        }
        previous_ = static_cast<int>(code);
    }
    return true;
}
