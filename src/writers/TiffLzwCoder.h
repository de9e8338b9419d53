#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// LZW as libtiff codes a strip, byte for byte the same stream: codes of 9 to
// 12 bits, most significant bit first; a Clear code opens the strip; the code
// width grows one code early (to n + 1 bits once the next free code would
// not fit in n); the table is cleared when it is full (code 4094 would be
// next) and when the compression ratio, checked every 10000 input bytes
// after the width stops growing, has not improved; End of Information closes
// the strip. The table is indexed directly by (byte, prefix code) instead of
// libtiff's hashing, which finds the same strings.
//
// Matching a string byte by byte is a chain of dependent table reads; the
// card's long repeated runs are matched faster by a guess that is checked:
// each two-byte string remembers the last four longer strings made from it,
// and when a new match begins with those two bytes and the input goes on with
// one of them (compared with the input it was made from, kept since
// the table was last cleared), the match goes to it at once. Every prefix of
// a string in the table is in the table, so the byte-by-byte walk would have
// reached it too: the codes are the same.
class TiffLzwCoder {
public:
    TiffLzwCoder();

    // Codes the next `length` bytes of the strip.
    void add(const uint8_t* data, std::size_t length);

    // Codes the string in progress and End of Information, and pads the last
    // byte with zero bits. The strip is complete after this.
    void finish();

    // The whole bytes coded so far and not yet taken.
    const uint8_t* data() const { return out_.data(); }
    std::size_t size() const { return used_; }

    // Forgets the bytes returned by data() and size().
    void take() { used_ = 0; }

private:
    void put(unsigned code);
    void clearTable();
    void reserveOutput();
    void addString(uint32_t slot, unsigned prefix);
    const uint8_t* skipToGuess(const uint8_t* data, const uint8_t* end, unsigned& prefix) const;

    std::vector<uint16_t> next_;    // (byte, prefix) -> code of the longer string; 0: none
    std::vector<uint32_t> slotOf_;  // code -> its place in next_, to clear the table
    // Per code: the length of its string, where in the input it was made
    // from, its two-byte prefix, its head, and (for two-byte strings) the last four
    // longer strings made from it, the newest first.
    std::vector<uint32_t> lengthOf_;
    std::vector<int64_t> startOf_;
    std::vector<uint16_t> pairOf_;
    // The first bytes of each string (as many as it has, up to eight; the
    // rest zero), compared before the whole string is.
    using Head = uint64_t;
    static constexpr std::size_t kHeadBytes = sizeof(Head);
    std::vector<Head> headOf_;
    using Guesses = std::array<uint16_t, 4>;
    std::vector<Guesses> guessesOf_;
    std::vector<uint8_t> history_;  // the input since the table was last cleared (at least)
    int64_t historyStart_ = 0;      // input position of history_[0]
    int64_t keepFrom_ = 0;          // history before this position is not needed any more
    int64_t chunkStart_ = 0;        // input position of the bytes add() is coding
    int64_t matchStart_ = 0;        // input position of the string matched so far
    std::vector<uint8_t> out_;
    std::size_t used_ = 0;
    uint64_t bits_ = 0;  // pending bits, the oldest highest
    unsigned bitCount_ = 0;
    unsigned width_;       // bits per code
    unsigned nextCode_;    // the code the next new string gets
    int prefix_ = -1;      // the code of the string matched so far; -1 before the first byte
    int64_t inBytes_ = 0;  // input bytes since the table was last cleared
    int64_t outBits_ = 0;  // output bits since then
    int64_t checkpoint_;   // input count of the next ratio check
    int64_t ratio_ = 0;    // the last ratio, input over output, 24.8 fixed point
};
