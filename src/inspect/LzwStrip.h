#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class InputBytes;

// The bytes of one TIFF strip, LZW-compressed as libtiff writes it (codes
// of 9 to 12 bits, most significant bit first, the code width growing one
// code early) or stored as they are, handed out a few at a time: the
// compressed data is read through a small buffer, so a strip of any size
// costs the same memory.
class LzwStrip {
public:
    LzwStrip(const InputBytes& input, uint64_t offset, uint64_t length, bool compressed);

    // Fills `out` with the next `size` bytes of the strip; false when the
    // strip ends or its codes break off before that many.
    bool read(uint8_t* out, std::size_t size);

private:
    bool nextCode(unsigned& code);
    bool fill();

    const InputBytes& input_;
    uint64_t offset_;
    uint64_t end_;
    bool compressed_;
    std::vector<uint8_t> buffer_;
    std::size_t next_ = 0;
    std::size_t filled_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    // The code table: each code is the string of its prefix code and one last byte.
    std::vector<uint16_t> prefix_;
    std::vector<uint8_t> suffix_;
    std::vector<uint16_t> length_;
    unsigned free_;
    int width_;
    int previous_ = -1;
    bool ended_ = false;
    std::vector<uint8_t> pending_;  // the last string, last byte first, not yet handed out
};
