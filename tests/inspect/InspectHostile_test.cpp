// Files that claim far more than they hold: the inspector reads them row by
// row within a small memory limit, refuses layouts pm5544 never writes before
// allocating anything, calls impossible sizes damage, and a preview that
// fails leaves no file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "InspectRun.h"

namespace {

constexpr long long kMemoryLimit = 256LL << 20;

std::string be32(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string be16(uint16_t v)
{
    return {static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string le32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

std::string chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    return be32(static_cast<uint32_t>(data.size())) + body +
           be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

// A PNG whose header says what is given, holding `raw` deflated.
std::string png(uint32_t size, int depth, int colourType, int interlace, const std::string& raw)
{
    uLongf length = compressBound(raw.size());
    std::string packed(length, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &length, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    packed.resize(length);
    const std::string header =
        be32(size) + be32(size) +
        std::string{static_cast<char>(depth), static_cast<char>(colourType), 0, 0, static_cast<char>(interlace)};
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", packed) + chunk("IEND", "");
}

// A 30-byte R'G'B' pattern file: one block of 65535 lines, each one run of 4096 samples.
std::string tallPatternFile()
{
    return std::string("PATTERN\0", 8) + "\x01" + be16(4096) + std::string("\x01\x0c\x01\0\0", 5) + be16(1) +
           be16(65535) + be16(1) + be16(8192) + be16(100) + be16(200) + be16(300);
}

// A DPX of one pixel per line claiming 268435456 lines, holding 1200.
std::string tallDpx()
{
    std::string b(8192 + 4800, '\0');
    const auto put = [&b](std::size_t at, const std::string& v) { b.replace(at, v.size(), v); };
    put(0, "XPDS");
    put(4, le32(8192));
    put(8, "V2.0");
    put(16, le32(static_cast<uint32_t>(b.size())));
    put(770, "\x01");
    put(772, le32(1));
    put(776, le32(268435456));
    put(800, "\x32");  // descriptor 50
    put(803, "\x0a");  // 10 bits
    put(804, "\x01");  // filled to words
    put(808, le32(8192));
    return b;
}

// A pm5544 TIFF made to claim 15360x8640 deflated samples.
std::string deflateTiff()
{
    std::string b = readFile(renderWithPm5544({"-d", "96x54", "-c", "709"}, "d.tif"));
    const std::size_t ifd = static_cast<unsigned char>(b[4]) | static_cast<unsigned char>(b[5]) << 8;
    const std::size_t entries = static_cast<unsigned char>(b[ifd]);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        const int tag = static_cast<unsigned char>(b[entry]) | static_cast<unsigned char>(b[entry + 1]) << 8;
        // Width 15360, length 8640, compression 8 (deflate), little-endian shorts.
        const char* value = tag == 256 ? "\x00\x3c" : tag == 257 ? "\xc0\x21" : tag == 259 ? "\x08\x00" : nullptr;
        if (value != nullptr) b.replace(entry + 8, 2, std::string(value, 2));
    }
    return b;
}

struct Case {
    const char* what;
    std::string bytes;
    int status;  // of the summary
    const char* message;
    bool preview;     // a preview is asked for too
    bool hasPicture;  // and it is written
};

}  // namespace

TEST(InspectHostile, ClaimsCostNeitherMemoryNorAFileLeftBehind)
{
    const std::string row(1 + 16384 * 8, '\0');
    std::string rows;
    for (int i = 0; i < 100; ++i) rows += row;
    const std::vector<Case> cases = {
        {"30-byte pattern file of 4096x65535", tallPatternFile(), 0, "lines covered:           65535", false, true},
        {"interlaced PNG of 16384x16384", png(16384, 16, 6, 1, ""), 2, "interlaced; pm5544 writes", true, false},
        {"1-bit PNG of 16384x16384", png(16384, 1, 0, 0, std::string(2049 * 16, '\0')), 2, "1-bit grey", true, false},
        {"16-bit PNG of 16384x16384 holding 100 rows", png(16384, 16, 6, 0, rows), 1,
         "bytes of compressed data can hold", true, false},
        {"deflate TIFF of 15360x8640", deflateTiff(), 2, "compression is 8", true, false},
        {"DPX claiming 1x268435456", tallDpx(), 1, "1200 of 268435456 lines present", true, true},
    };
    const std::string dir = emptyTempDir();
    const std::string path = dir + "/claim";
    const std::string preview = dir + "/p.png";
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary) << c.bytes;
        std::vector<std::vector<std::string>> actions = {{}, {"--at", "0,0"}, {"-c", "709", "--compare"}};
        if (c.preview) actions.push_back({"--preview", preview});
        for (const std::vector<std::string>& action : actions) {
            const ProgramRun run = inspectWith(with(action, path), "", limitsMemory() ? kMemoryLimit : -1);
            EXPECT_LE(run.status, 2) << c.what << " " << testing::PrintToString(action) << run.err;
            EXPECT_EQ(run.err.find("not enough memory"), std::string::npos) << c.what << run.err;
            if (action.empty()) {
                EXPECT_EQ(run.status, c.status) << c.what << run.out << run.err;
                EXPECT_NE((run.out + run.err).find(c.message), std::string::npos) << c.what << run.out << run.err;
            }
            // A preview that was not written leaves nothing, not even a temporary file.
            const bool previewed = c.hasPicture && !action.empty() && action[0] == "--preview";
            const std::vector<std::string> left = filesIn(dir);
            EXPECT_EQ(left.size(), previewed ? 2u : 1u) << c.what << testing::PrintToString(action);
            std::remove(preview.c_str());
        }
    }
}

TEST(InspectHostile, APreviewThatCannotBeWrittenLeavesNoFile)
{
    const std::string card = renderWithPm5544({"-d", "96x54"}, "card.png");
    const std::string dir = testTempDir();
    // A folder in the way: the preview cannot take its name.
    const std::string blocked = dir + "/blocked.png";
    mkdir(blocked.c_str(), 0755);
    const ProgramRun run = inspect({"--preview", blocked, card});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("cannot write the preview"), std::string::npos) << run.err;
    for (const std::string& name : filesIn(dir)) EXPECT_EQ(name.find(".blocked.png"), std::string::npos) << name;
}
