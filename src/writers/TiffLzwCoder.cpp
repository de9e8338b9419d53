#include "writers/TiffLzwCoder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

constexpr unsigned kClearCode = 256;
constexpr unsigned kEndCode = 257;
constexpr unsigned kFirstCode = 258;
constexpr unsigned kMinWidth = 9;
constexpr unsigned kMaxWidth = 12;
constexpr unsigned kFullTable = (1u << kMaxWidth) - 2;  // the table is cleared before this code is given
constexpr int64_t kCheckGap = 10000;                    // input bytes between ratio checks
constexpr int kRatioFractionBits = 8;
constexpr int64_t kLargestPlainRatioInput = 0x007fffff;  // beyond, the ratio is taken on output / 256
constexpr int64_t kRatioWhenNoOutput = 0x7fffffff;
constexpr unsigned kByteValues = 256;
// An input byte ends at most one string, whose code and a Clear code complete
// at most 2 bytes each.
constexpr std::size_t kOutputBytesPerInputByte = 4;
constexpr std::size_t kOutputChunk = std::size_t{1} << 16;

unsigned largestCode(unsigned width)
{
    return (1u << width) - 1;
}

// The ratio of input to output, 24.8 fixed point, computed as libtiff does.
int64_t compressionRatio(int64_t inBytes, int64_t outBits)
{
    if (inBytes > kLargestPlainRatioInput) {
        const int64_t scaled = outBits >> kRatioFractionBits;
        return scaled == 0 ? kRatioWhenNoOutput : inBytes / scaled;
    }
    return (inBytes << kRatioFractionBits) / outBits;
}

}  // namespace

TiffLzwCoder::TiffLzwCoder()
    : next_(static_cast<std::size_t>(kByteValues) << kMaxWidth, 0),
      slotOf_(kFullTable, 0),
      lengthOf_(kFullTable, 1),
      startOf_(kFullTable, 0),
      pairOf_(kFullTable, 0),
      headOf_(kFullTable, 0),
      guessesOf_(kFullTable, Guesses{}),
      width_(kMinWidth),
      nextCode_(kFirstCode),
      checkpoint_(kCheckGap)
{
    for (unsigned byte = 0; byte < kByteValues; ++byte) {
        reinterpret_cast<uint8_t*>(&headOf_[byte])[0] = static_cast<uint8_t>(byte);
    }
}

void TiffLzwCoder::put(unsigned code)
{
    bits_ = (bits_ << width_) | code;
    bitCount_ += width_;
    while (bitCount_ >= 8) {
        bitCount_ -= 8;
        out_[used_++] = static_cast<uint8_t>(bits_ >> bitCount_);
    }
    outBits_ += width_;
}

void TiffLzwCoder::clearTable()
{
    for (unsigned code = kFirstCode; code < nextCode_; ++code) {
        next_[slotOf_[code]] = 0;
        guessesOf_[code] = Guesses{};
    }
    ratio_ = 0;
    inBytes_ = 0;
    outBits_ = 0;
    nextCode_ = kFirstCode;
    put(kClearCode);  // at the width the codes before it had
    width_ = kMinWidth;
}

void TiffLzwCoder::reserveOutput()
{
    if (out_.size() < used_ + kOutputChunk) {
        out_.resize(used_ + 2 * kOutputChunk);
    }
}

// Gives the string `prefix` followed by the byte of `slot` the next code;
// it began where the match of `prefix` began.
void TiffLzwCoder::addString(uint32_t slot, unsigned prefix)
{
    const unsigned code = nextCode_;
    next_[slot] = static_cast<uint16_t>(code);
    slotOf_[code] = slot;
    lengthOf_[code] = lengthOf_[prefix] + 1;
    startOf_[code] = matchStart_;
    headOf_[code] = headOf_[prefix];
    if (lengthOf_[prefix] < kHeadBytes) {
        reinterpret_cast<uint8_t*>(&headOf_[code])[lengthOf_[prefix]] = static_cast<uint8_t>(slot >> kMaxWidth);
    }
    if (lengthOf_[code] == 2) {
        pairOf_[code] = static_cast<uint16_t>(code);
    } else {
        pairOf_[code] = pairOf_[prefix];
        Guesses& guesses = guessesOf_[pairOf_[code]];
        for (std::size_t older = guesses.size() - 1; older > 0; --older) {
            guesses[older] = guesses[older - 1];
        }
        guesses[0] = static_cast<uint16_t>(code);
    }
}

// `data` follows the second byte of a match whose two-byte string is
// `prefix`: when the input goes on with one of the four strings last made from
// it, the match becomes that string and the input after it is returned.
// Strings shorter than a head are walked: a guess would save little.
const uint8_t* TiffLzwCoder::skipToGuess(const uint8_t* data, const uint8_t* end, unsigned& prefix) const
{
    const uint8_t* matchBegin = data - 2;
    const std::size_t available = static_cast<std::size_t>(end - matchBegin);
    if (available < kHeadBytes) {
        return data;
    }
    Head inputHead;
    std::memcpy(&inputHead, matchBegin, kHeadBytes);
    for (const unsigned guess : guessesOf_[prefix]) {
        const std::size_t length = lengthOf_[guess];
        if (guess == 0 || length < kHeadBytes || length > available || headOf_[guess] != inputHead) {
            continue;
        }
        const uint8_t* made = history_.data() + (startOf_[guess] - historyStart_);
        if (std::memcmp(made + kHeadBytes, matchBegin + kHeadBytes, length - kHeadBytes) == 0) {
            prefix = guess;
            return matchBegin + length;
        }
    }
    return data;
}

void TiffLzwCoder::add(const uint8_t* data, std::size_t length)
{
    const uint8_t* const begin = data;
    const uint8_t* end = data + length;
    if (data == end) {
        return;
    }
    // The input is kept from the start of the oldest string in the table on.
    if (keepFrom_ > historyStart_) {
        history_.erase(history_.begin(), history_.begin() + (keepFrom_ - historyStart_));
        historyStart_ = keepFrom_;
    }
    history_.insert(history_.end(), data, end);
    const auto positionOf = [this, begin](const uint8_t* at) { return chunkStart_ + (at - begin); };
    reserveOutput();
    if (prefix_ < 0) {
        put(kClearCode);
        matchStart_ = positionOf(data);
        prefix_ = *data++;
        ++inBytes_;
    }
    // Input bytes are counted by position: `counted` is where inBytes_ was last brought up to date.
    const uint8_t* counted = data;
    unsigned prefix = static_cast<unsigned>(prefix_);
    // Codes are written at most once per input byte; the output is made room for in chunks.
    const uint8_t* roomUntil = data + std::min<std::size_t>(end - data, kOutputChunk / kOutputBytesPerInputByte);
    while (data != end) {
        if (data >= roomUntil) {
            inBytes_ += data - counted;
            counted = data;
            reserveOutput();
            roomUntil = data + std::min<std::size_t>(end - data, kOutputChunk / kOutputBytesPerInputByte);
        }
        const unsigned byte = *data++;
        const uint32_t slot = (byte << kMaxWidth) | prefix;
        const unsigned code = next_[slot];
        if (code != 0) {
            prefix = code;
            continue;
        }
        inBytes_ += data - counted;
        counted = data;
        put(prefix);
        addString(slot, prefix);
        ++nextCode_;
        prefix = byte;
        matchStart_ = positionOf(data - 1);
        if (nextCode_ == kFullTable) {
            clearTable();
            keepFrom_ = matchStart_;
        } else if (nextCode_ > largestCode(width_)) {
            ++width_;
            assert(width_ <= kMaxWidth);
        } else if (inBytes_ >= checkpoint_) {
            checkpoint_ = inBytes_ + kCheckGap;
            const int64_t ratio = compressionRatio(inBytes_, outBits_);
            if (ratio <= ratio_) {
                clearTable();
                keepFrom_ = matchStart_;
            } else {
                ratio_ = ratio;
            }
        }
        // The new match's second byte, and the guess its two bytes give.
        if (data != end) {
            const unsigned pair = next_[(static_cast<unsigned>(*data) << kMaxWidth) | prefix];
            if (pair != 0) {
                prefix = pair;
                data = skipToGuess(data + 1, end, prefix);
            }
        }
    }
    inBytes_ += data - counted;
    prefix_ = static_cast<int>(prefix);
    chunkStart_ += end - begin;
}

void TiffLzwCoder::finish()
{
    reserveOutput();
    if (prefix_ >= 0) {
        put(static_cast<unsigned>(prefix_));
        prefix_ = -1;
        // The table would take one more string: the width follows it, as
        // the reader's does.
        ++nextCode_;
        if (nextCode_ == kFullTable) {
            put(kClearCode);
            width_ = kMinWidth;
        } else if (nextCode_ > largestCode(width_)) {
            ++width_;
        }
    }
    put(kEndCode);
    if (bitCount_ > 0) {
        out_[used_++] = static_cast<uint8_t>(bits_ << (8 - bitCount_));
        bitCount_ = 0;
    }
}
