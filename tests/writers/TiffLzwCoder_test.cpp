#include "writers/TiffLzwCoder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// libtiff's own LZW stream for `bytes`: the strip of a one-line 8-bit grey image.
Bytes libtiffLzw(const Bytes& bytes)
{
    const std::string path = testTempDir() + "/libtiff.tif";
    TIFF* out = TIFFOpen(path.c_str(), "w");
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(bytes.size()));
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, 1u);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    Bytes copy = bytes;
    EXPECT_EQ(static_cast<tmsize_t>(copy.size()), TIFFWriteEncodedStrip(out, 0, copy.data(), copy.size()));
    TIFFClose(out);
    TIFF* in = TIFFOpen(path.c_str(), "r");
    Bytes coded(static_cast<std::size_t>(TIFFGetStrileByteCount(in, 0)));
    EXPECT_EQ(static_cast<tmsize_t>(coded.size()), TIFFReadRawStrip(in, 0, coded.data(), coded.size()));
    TIFFClose(in);
    return coded;
}

// TiffLzwCoder's stream for `bytes` given in pieces of `piece` bytes, taken
// out now and then as the writer takes them.
Bytes coderLzw(const Bytes& bytes, std::size_t piece)
{
    TiffLzwCoder coder;
    Bytes coded;
    const auto takeAll = [&] {
        coded.insert(coded.end(), coder.data(), coder.data() + coder.size());
        coder.take();
    };
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        coder.add(bytes.data() + at, std::min(piece, bytes.size() - at));
        if (at % (7 * piece) == 0) takeAll();
    }
    coder.finish();
    takeAll();
    return coded;
}

Bytes randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// Rows of 16-bit (Y, Cb, Cr) pixels in flat stretches whose chroma bytes
// repeat within the pixel, as the card's rows do, with a few edges.
Bytes cardLikeRows(int rows, int width)
{
    Bytes bytes;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint16_t luma = static_cast<uint16_t>((64 + (x / 37 + y / 5) % 7 * 100) << 6);
            const uint16_t chroma = x % 91 < 80 ? 0x8000 : 0x4040;
            for (const uint16_t sample : {luma, chroma, chroma}) {
                bytes.push_back(static_cast<uint8_t>(sample));
                bytes.push_back(static_cast<uint8_t>(sample >> 8));
            }
        }
    }
    return bytes;
}

}  // namespace

TEST(TiffLzwCoder, WritesTheStreamLibtiffWrites)
{
    Bytes flatThenNoise(30000, 0x40);  // the ratio falls after the flat start: a Clear before the table is full
    const Bytes noise = randomBytes(60000, 2);
    flatThenNoise.insert(flatThenNoise.end(), noise.begin(), noise.end());
    const std::string text = "TOBEORNOTTOBEORTOBEORNOT#";
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"one byte", {0x41}},
        {"a short text", Bytes(text.begin(), text.end())},
        {"noise that fills the table again and again", randomBytes(200000, 1)},
        {"a flat start, then noise", flatThenNoise},
        {"long runs: strings of hundreds of bytes", Bytes(400000, 0)},
        {"card-like rows", cardLikeRows(40, 1000)},
    };
    for (const auto& c : cases) {
        const Bytes expected = libtiffLzw(c.bytes);
        for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{6000}, c.bytes.size()}) {
            EXPECT_EQ(expected, coderLzw(c.bytes, piece)) << c.name << ", in pieces of " << piece;
        }
    }
}

TEST(TiffLzwCoder, EndsAsLibtiffEnds)
{
    // The string in progress at the end can make the last code wider, or
    // fill the table (a Clear before End of Information). This noise ends
    // so at 256, 772 and 1817 bytes (to 10, 11 and 12 bits), 3953 (full)
    // and 4207 (10 bits again), as a scan of every length through 4600 showed.
    const Bytes noise = randomBytes(4600, 3);
    for (const std::size_t end : {256, 772, 1817, 3953, 4207}) {
        for (std::size_t length = end - 1; length <= end + 1; ++length) {
            const Bytes bytes(noise.begin(), noise.begin() + length);
            EXPECT_EQ(libtiffLzw(bytes), coderLzw(bytes, bytes.size())) << length;
        }
    }
}
