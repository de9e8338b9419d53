#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Raw deflate of one band of a zlib stream that is compressed in pieces: each
// band starts without history and ends byte-aligned, with a sync flush (an
// empty stored block), so that bands written one after the other form one
// deflate stream; the last band carries the final block instead.
//
// Built on ISA-L's deflate where the build found it (BandDeflaterIsal.cpp),
// on zlib elsewhere (BandDeflaterZlib.cpp): the two write different streams
// of the same bytes.
class BandDeflater {
public:
    BandDeflater();  // allocates nothing: compress() does, and may throw
    ~BandDeflater();
    BandDeflater(const BandDeflater&) = delete;
    BandDeflater& operator=(const BandDeflater&) = delete;

    // Replaces `output` with the compressed `length` bytes of `input`. False
    // when the library refused; throws std::bad_alloc when it had no memory.
    bool compress(const uint8_t* input, std::size_t length, bool last, std::vector<uint8_t>& output);

    // The Adler-32 checksum `adler` continued over `length` bytes.
    static uint32_t adler32(uint32_t adler, const uint8_t* data, std::size_t length);

    // The compression level the zlib header announces (FLEVEL, 0 fastest to 3).
    static uint8_t levelFlags();

private:
    struct State;
    std::unique_ptr<State> state_;
};
