#include <zlib.h>

#include <limits>
#include <new>

#include "writers/BandDeflater.h"

namespace {

// zlib's level 2 with its default matching keeps up with rendering on two
// cores (see README, Speed and memory).
constexpr int kLevel = 2;
constexpr int kStrategy = Z_DEFAULT_STRATEGY;
constexpr uint8_t kFastLevelFlags = 1;      // FLEVEL zlib writes for levels 2 to 5
constexpr int kRawDeflateWindowBits = -15;  // negative: no zlib header or checksum per band
constexpr int kMemLevel = 8;
constexpr std::size_t kBoundSlack = 16;  // the sync flush's empty stored block, and more

}  // namespace

struct BandDeflater::State {
    z_stream z{};
    bool ready = false;
    ~State()
    {
        if (ready) deflateEnd(&z);
    }
};

BandDeflater::BandDeflater() = default;

BandDeflater::~BandDeflater() = default;

bool BandDeflater::compress(const uint8_t* input, std::size_t length, bool last, std::vector<uint8_t>& output)
{
    if (state_ == nullptr) {
        state_ = std::make_unique<State>();
    }
    State& s = *state_;
    if (length > std::numeric_limits<uInt>::max()) {
        return false;  // bands are far smaller; zlib counts in uInt
    }
    const int status = s.ready ? deflateReset(&s.z)
                               : deflateInit2(&s.z, kLevel, Z_DEFLATED, kRawDeflateWindowBits, kMemLevel, kStrategy);
    if (status == Z_MEM_ERROR) {
        throw std::bad_alloc();  // zlib could not get its state
    }
    s.ready = s.ready || status == Z_OK;
    if (status != Z_OK) {
        return false;
    }
    output.resize(deflateBound(&s.z, static_cast<uLong>(length)) + kBoundSlack);
    s.z.next_in = const_cast<Bytef*>(input);  // zlib does not write to its input
    s.z.avail_in = static_cast<uInt>(length);
    s.z.next_out = output.data();
    s.z.avail_out = static_cast<uInt>(output.size());
    const int result = deflate(&s.z, last ? Z_FINISH : Z_SYNC_FLUSH);
    output.resize(output.size() - s.z.avail_out);
    return last ? result == Z_STREAM_END : (result == Z_OK && s.z.avail_in == 0);
}

uint32_t BandDeflater::adler32(uint32_t adler, const uint8_t* data, std::size_t length)
{
    uLong sum = adler;
    while (length > 0) {
        const uInt piece = static_cast<uInt>(std::min<std::size_t>(length, std::numeric_limits<uInt>::max()));
        sum = ::adler32(sum, data, piece);
        data += piece;
        length -= piece;
    }
    return static_cast<uint32_t>(sum);
}

uint8_t BandDeflater::levelFlags()
{
    return kFastLevelFlags;
}
