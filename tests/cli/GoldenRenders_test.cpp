// The samples of a render are fixed. For a dozen settings (every kind,
// several colour spaces, samplings, depths and an aspect) the SHA-256 of what
// the tests' own decoders read from the file is recorded here, so that a
// change anywhere on the write path (drawing, conversion, rounding, packing,
// run-length coding) fails, even when pm5544-inspect, which renders its
// reference with the same code, reads the file as it was written. A change
// of the output that is meant records the new hashes (the failure prints them).
#include <glib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/PatternFileReader.h"
#include "support/PngReader.h"
#include "support/RunProgram.h"
#include "support/TiffReader.h"

namespace {

constexpr int kWidth = 192;  // whole groups of six pixels in a 4:2:2 DPX line
constexpr int kHeight = 108;

// DPX fields read back (offsets of the file and image headers).
constexpr std::size_t kDpxMagic = 0, kDpxDataOffset = 4, kDpxWidth = 772, kDpxHeight = 776, kDpxDescriptor = 800;
constexpr uint32_t kDpxHostMagic = 0x53445058;  // "SDPX" read in this host's byte order
constexpr int kDpxDatumBits = 10;
constexpr int kDpxDatumShifts[] = {22, 12, 2};

struct Golden {
    const char* name;
    std::vector<std::string> options;
    const char* sha256;
};

const Golden kGolden[] = {
    {"rgb-444-12.png", {}, "996f9f0039cb61ec1581e14b20f15d4b4cc14fca806223ee37c789edd90fcc24"},
    {"709-422-10.png",
     {"-c", "709", "-s", "422", "-b", "10"},
     "def0fde168e05005e5f80370718a89d7c97062b6585d44af35620743cda16b33"},
    {"pq-420-8.png",
     {"-c", "PQ", "-s", "420", "-b", "8"},
     "946e34abff99a9659d2127b789a2539bbf8c3aa7c1aadf6904f4b7473a87a7f1"},
    {"headroom-16-4x3.png",
     {"-c", "RGB-headroom", "-b", "16", "-a", "4x3"},
     "9107368922932ee2fe42cff819d52ce2ea61dbe6dffaccb33a48d8f08da04608"},
    {"601-444-12.tif", {"-c", "601"}, "d7fea19c1f79b45bcc1da068afd24f6cea333c0b03ac4bd9384971bf291f9b72"},
    {"rgb-hlg-422-10.tif",
     {"-c", "RGB-HLG", "-s", "422", "-b", "10"},
     "9e95426b98a337613e4ad28f691ed1c63fdf89db28d00168315971ad7df9f47d"},
    {"709-444-10.dpx", {"-c", "709", "-b", "10"}, "7c80422485e2396297bba8e32ccd929dc424aa6ab05db203f2de4ed4e3f0761c"},
    {"2020-422-12.dpx",
     {"-c", "2020", "-s", "422"},
     "eb08b8e3c790ad92cf52fe83d34c6d5e93ca35278ade4b969166e6ae68880daf"},
    {"rgb-444-8.dpx", {"-b", "8"}, "33276c7a70378d987abc88c3622f3744aea3e623ba120c8d69810d5e53a8281d"},
    {"709.pat", {"-c", "709", "-s", "422"}, "2016403768164b447dd255e3aac66e9d95a918e2c7178f5486edbf0c1763050e"},
    {"s-log3-live.yc4", {"-c", "S-Log3-Live"}, "482225a393264330eeee89d561905729bbf81761f84e849a8ff58d591f595335"},
    {"headroom.rgb", {"-c", "RGB-headroom"}, "465aea73a012b40706d77f0ef6555a2ae38f56166580bcc57d2cac7ee48328f3"},
    {"rgb-pq-mapped.xyz", {"-c", "RGB-PQ-Mapped"}, "03592f8b7cb3a8165af210bb6dfcd015c645a9c5a048a4e7d0d4b10f14c2efdd"},
};

// What a file holds, however it is stored: a line naming its layout, then
// every decoded sample as two bytes, high byte first.
struct Decoded {
    std::string bytes;
    void layout(const std::string& text) { bytes += text + "\n"; }
    void sample(unsigned value)
    {
        bytes += static_cast<char>((value >> 8) & 0xFF);
        bytes += static_cast<char>(value & 0xFF);
    }
};

uint32_t hostWord(const std::string& bytes, std::size_t at)
{
    uint32_t word = 0;
    if (at + sizeof word <= bytes.size()) std::memcpy(&word, bytes.data() + at, sizeof word);
    return word;
}

void decodePng(const std::string& path, Decoded& out)
{
    const PngImage image = readPng(path);
    ASSERT_TRUE(image.ok) << path;
    out.layout("PNG " + std::to_string(image.width) + "x" + std::to_string(image.height) + " depth " +
               std::to_string(image.bitDepth) + " colour type " + std::to_string(image.colourType));
    for (uint16_t s : image.samples) out.sample(s);
}

void decodeTiff(const std::string& path, Decoded& out)
{
    const TiffImage image = readTiff(path);
    ASSERT_TRUE(image.ok) << path;
    out.layout("TIFF " + std::to_string(image.width) + "x" + std::to_string(image.height) + " photometric " +
               std::to_string(image.photometric) + " channels " + std::to_string(image.channels));
    for (uint16_t s : image.samples) out.sample(s);
}

// The data of a DPX file as its 10-bit datums, three to a word, from the top bits down.
void decodeDpx(const std::string& path, Decoded& out)
{
    const std::string bytes = readFile(path);
    ASSERT_EQ(hostWord(bytes, kDpxMagic), kDpxHostMagic) << path;
    const uint32_t data = hostWord(bytes, kDpxDataOffset);
    ASSERT_LE(data, bytes.size()) << path;
    ASSERT_EQ((bytes.size() - data) % 4, 0u) << path;
    out.layout("DPX " + std::to_string(hostWord(bytes, kDpxWidth)) + "x" + std::to_string(hostWord(bytes, kDpxHeight)) +
               " descriptor " + std::to_string(static_cast<unsigned char>(bytes[kDpxDescriptor])));
    for (std::size_t at = data; at < bytes.size(); at += 4) {
        for (int shift : kDpxDatumShifts) out.sample((hostWord(bytes, at) >> shift) & ((1u << kDpxDatumBits) - 1));
    }
}

// Every pixel of every line of a pattern file, its blocks expanded.
void decodePatternFile(const std::string& path, Decoded& out)
{
    DecodedPatternFile file;
    std::string error;
    ASSERT_TRUE(readPatternFile(path, file, error)) << path << ": " << error;
    out.layout("pattern file width " + std::to_string(file.width) + " format " + std::to_string(file.sampleFormat) +
               " bits " + std::to_string(file.bitsPerSample));
    for (const std::vector<DecodedSample>& line : file.lines(kHeight)) {
        for (const std::array<uint16_t, 3>& pixel : file.pixels(line)) {
            for (uint16_t s : pixel) out.sample(s);
        }
    }
}

std::string sha256(const std::string& bytes)
{
    gchar* text =
        g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    const std::string hash(text);
    g_free(text);
    return hash;
}

void decode(const std::string& path, Decoded& out)
{
    const std::string extension = path.substr(path.find_last_of('.') + 1);
    if (extension == "png") return decodePng(path, out);
    if (extension == "tif") return decodeTiff(path, out);
    if (extension == "dpx") return decodeDpx(path, out);
    decodePatternFile(path, out);
}

}  // namespace

TEST(GoldenRenders, DecodedSamplesAreTheRecordedOnes)
{
    for (const Golden& g : kGolden) {
        std::vector<std::string> options = {"-d", std::to_string(kWidth) + "x" + std::to_string(kHeight)};
        options.insert(options.end(), g.options.begin(), g.options.end());
        const std::string path = renderWithPm5544(options, g.name);
        Decoded decoded;
        ASSERT_NO_FATAL_FAILURE(decode(path, decoded));
        EXPECT_EQ(sha256(decoded.bytes), g.sha256) << g.name << " " << testing::PrintToString(g.options);
    }
}
