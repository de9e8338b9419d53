#include <isa-l/igzip_lib.h>

#include <limits>
#include <new>

#include "writers/BandDeflater.h"

namespace {

// ISA-L's level 1 (hashed matching, a Huffman code made for each block) on
// the card's filtered rows: about as small as zlib's level 2, several times
// faster (see README, Speed and memory).
constexpr uint32_t kLevel = 1;
constexpr uint32_t kLevelBufferBytes = ISAL_DEF_LVL1_DEFAULT;
constexpr uint8_t kFastLevelFlags = 1;
// Output space to start with: the card's bands shrink many times over; a
// band that does not is given more room as it needs it.
constexpr std::size_t kFirstOutputShare = 8;
constexpr std::size_t kOutputSlack = 1024;
constexpr std::size_t kMostOutputPerInput = 2;

}  // namespace

struct BandDeflater::State {
    isal_zstream z{};
    std::unique_ptr<uint8_t[]> levelBuffer{new uint8_t[kLevelBufferBytes]};
};

BandDeflater::BandDeflater() = default;

BandDeflater::~BandDeflater() = default;

bool BandDeflater::compress(const uint8_t* input, std::size_t length, bool last, std::vector<uint8_t>& output)
{
    if (length > std::numeric_limits<uint32_t>::max()) {
        return false;  // bands are far smaller; ISA-L counts in 32 bits
    }
    if (state_ == nullptr) {
        state_ = std::make_unique<State>();
    }
    isal_zstream& z = state_->z;
    isal_deflate_init(&z);  // no history from the band before
    z.level = kLevel;
    z.level_buf = state_->levelBuffer.get();
    z.level_buf_size = kLevelBufferBytes;
    z.gzip_flag = IGZIP_DEFLATE;
    z.flush = last ? NO_FLUSH : SYNC_FLUSH;
    z.end_of_stream = last ? 1 : 0;
    z.next_in = const_cast<uint8_t*>(input);  // ISA-L does not write to its input
    z.avail_in = static_cast<uint32_t>(length);
    output.resize(length / kFirstOutputShare + kOutputSlack);
    std::size_t used = 0;
    for (;;) {
        z.next_out = output.data() + used;
        z.avail_out = static_cast<uint32_t>(output.size() - used);
        if (isal_deflate(&z) != COMP_OK) {
            return false;
        }
        used = output.size() - z.avail_out;
        // Done once the input is in and the band is closed: the final block
        // written, or the flush's empty stored block.
        const bool closed = last ? z.internal_state.state == ZSTATE_END : z.internal_state.state == ZSTATE_NEW_HDR;
        if (z.avail_in == 0 && closed) {
            break;
        }
        if (output.size() > kMostOutputPerInput * length + kOutputSlack) {
            return false;  // no deflate stream grows like this: the library is stuck
        }
        output.resize(output.size() * 2);
    }
    output.resize(used);
    return true;
}

uint32_t BandDeflater::adler32(uint32_t adler, const uint8_t* data, std::size_t length)
{
    return isal_adler32(adler, data, length);
}

uint8_t BandDeflater::levelFlags()
{
    return kFastLevelFlags;
}
