// The tests' PNG reader judges every PNG pm5544 writes: a file whose
// checksums are wrong must be refused, not decoded quietly.
#include "support/PngReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "writers/writePng.h"

namespace {

constexpr std::size_t kSignatureBytes = 8;
constexpr std::size_t kChunkOverhead = 12;  // length, type, CRC

struct Chunk {
    std::size_t at;  // of its length field
    uint32_t length;
    std::string type;
};

uint32_t be32(const std::string& b, std::size_t at)
{
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

void putBe32(std::string& b, std::size_t at, uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

std::vector<Chunk> chunksOf(const std::string& png)
{
    std::vector<Chunk> chunks;
    for (std::size_t at = kSignatureBytes; at + kChunkOverhead <= png.size();) {
        const uint32_t length = be32(png, at);
        chunks.push_back({at, length, png.substr(at + 4, 4)});
        at += kChunkOverhead + length;
    }
    return chunks;
}

// The CRC a chunk should have: of its type and data.
uint32_t crcOf(const std::string& png, const Chunk& c)
{
    const auto* bytes = reinterpret_cast<const Bytef*>(png.data() + c.at + 4);
    return static_cast<uint32_t>(crc32(0, bytes, 4 + c.length));
}

const Chunk& last(const std::vector<Chunk>& chunks, const std::string& type)
{
    std::size_t found = 0;
    for (std::size_t i = 0; i < chunks.size(); ++i) found = chunks[i].type == type ? i : found;
    return chunks[found];
}

}  // namespace

TEST(PngReader, RefusesAFileWhoseChecksumsAreWrong)
{
    std::vector<unsigned short> samples(8 * 4 * 4);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<unsigned short>(i * 977);
    const std::string path = testTempDir() + "/card.png";
    ASSERT_EQ(PngWriter::writePng(samples.data(), false, 8, 4, 16, path.c_str()), 0);
    const std::string written = readFile(path);

    const struct {
        const char* what;
        std::function<void(std::string&)> edit;
        bool readable;
    } cases[] = {
        {"intact", [](std::string&) {}, true},
        {"Adler-32 of the image data (its chunk's CRC made right)",
         [](std::string& png) {
             const Chunk idat = last(chunksOf(png), "IDAT");
             png[idat.at + 8 + idat.length - 1] ^= 1;
             putBe32(png, idat.at + 8 + idat.length, crcOf(png, idat));
         },
         false},
        {"CRC of the image data",
         [](std::string& png) {
             const Chunk idat = last(chunksOf(png), "IDAT");
             png[idat.at + 8 + idat.length] ^= 1;
         },
         false},
        {"CRC of an ancillary chunk",
         [](std::string& png) {
             const std::string text("tEXtComment\0x", 13);
             std::string chunk(4, '\0');
             putBe32(chunk, 0, static_cast<uint32_t>(text.size() - 4));
             chunk += text + std::string(4, '\0');
             png.insert(last(chunksOf(png), "IEND").at, chunk);
         },
         false},
    };
    for (const auto& c : cases) {
        std::string png = written;
        c.edit(png);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << png;
        const PngImage image = readPng(path);
        EXPECT_EQ(image.ok, c.readable) << c.what;
        if (c.readable) {
            EXPECT_EQ(image.samples, std::vector<uint16_t>(samples.begin(), samples.end()));
        }
    }
}
