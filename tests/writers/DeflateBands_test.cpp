#include "writers/DeflateBands.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The zlib stream DeflateBands makes of `bands`, in order.
Bytes compressInBands(const std::vector<Bytes>& bands, unsigned threads)
{
    DeflateBands deflate(threads);
    Bytes stream = deflate.header();
    const DeflateBands::Take take = [&stream](const Bytes& c) { stream.insert(stream.end(), c.begin(), c.end()); };
    std::size_t capacity = 1;
    for (const Bytes& band : bands) capacity = std::max(capacity, band.size());
    for (std::size_t i = 0; i < bands.size(); ++i) {
        std::unique_ptr<uint8_t[]> buffer = deflate.buffer(capacity);
        std::memcpy(buffer.get(), bands[i].data(), bands[i].size());
        deflate.add(std::move(buffer), bands[i].size(), i + 1 == bands.size(), take);
    }
    deflate.finish(take);
    EXPECT_TRUE(deflate.ok());
    const Bytes trailer = deflate.trailer();
    stream.insert(stream.end(), trailer.begin(), trailer.end());
    return stream;
}

// zlib's reading of a whole stream, which checks the header and the checksum;
// empty when it finds an error or data after the end.
Bytes inflateStream(const Bytes& stream, std::size_t size)
{
    Bytes out(size + 1);
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    const bool whole = result == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return whole ? out : Bytes{};
}

Bytes noise(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

}  // namespace

TEST(DeflateBands, BandsJoinIntoOneZlibStream)
{
    Bytes filteredRows(200000, 0);  // the card's filtered rows: mostly zeros, some repeated detail
    for (std::size_t i = 0; i < filteredRows.size(); i += 7919) filteredRows[i] = static_cast<uint8_t>(i);
    const struct {
        const char* name;
        std::vector<Bytes> bands;
    } cases[] = {
        {"one band", {filteredRows}},
        {"filtered rows in bands", {filteredRows, filteredRows, Bytes(5, 2), filteredRows}},
        {"noise, which does not shrink", {noise(300000, 1), noise(70000, 2), noise(1, 3)}},
    };
    for (const auto& c : cases) {
        Bytes whole;
        for (const Bytes& band : c.bands) whole.insert(whole.end(), band.begin(), band.end());
        for (const unsigned threads : {0u, 2u}) {
            EXPECT_EQ(whole, inflateStream(compressInBands(c.bands, threads), whole.size()))
                << c.name << ", " << threads << " threads";
        }
    }
}
