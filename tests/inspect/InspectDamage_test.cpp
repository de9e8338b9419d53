// Damaged files of every kind are reported as damaged, with the file's name
// and status 1; files that are none of the kinds, or whose header cannot be
// made sense of, with status 2; and no bytes whatever end the run by a signal.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "InspectRun.h"

namespace {

using Edit = std::function<void(std::string&)>;

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

uint32_t getLE(const std::string& b, std::size_t at, int size)
{
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void putLE(std::string& b, std::size_t at, int size, uint32_t v)
{
    for (int i = 0; i < size; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putBE16(std::string& b, std::size_t at, uint16_t v)
{
    b[at] = static_cast<char>(v >> 8);
    b[at + 1] = static_cast<char>(v & 0xFF);
}

// Where the first value of a tag of this host's little-endian TIFF lies: in its entry, or where the entry points.
std::size_t tiffValue(const std::string& b, uint16_t tag)
{
    const std::size_t ifd = getLE(b, 4, 4);
    for (uint32_t i = 0; i < getLE(b, ifd, 2); ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        if (getLE(b, entry, 2) != tag) continue;
        const uint32_t bytes = getLE(b, entry + 4, 4) * (getLE(b, entry + 2, 2) == 3 ? 2 : 4);
        return bytes <= 4 ? entry + 8 : getLE(b, entry + 8, 4);
    }
    ADD_FAILURE() << "no tag " << tag;
    return 0;
}

const Edit kCutInHalf = [](std::string& b) { b.resize(b.size() / 2); };

// Appends `bytes`; or, with `beforeEnd`, puts them before a PNG's end chunk.
Edit adding(const std::string& bytes, bool beforeEnd = false)
{
    return [bytes, beforeEnd](std::string& b) { b.insert(beforeEnd ? b.size() - 12 : b.size(), bytes); };
}

// A zero-filled PNG chunk of this type and length, with its checksum.
std::string chunkOf(const std::string& type, std::size_t length)
{
    const std::string body = type + std::string(length, '\0');
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    std::string chunk = std::string(3, '\0') + static_cast<char>(length) + body;
    for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((crc >> shift) & 0xFF);
    return chunk;
}

struct Case {
    const char* what;
    const char* name;
    std::vector<std::string> options;
    Edit edit;
    int status;
    const char* message;
};

const std::vector<std::string> kSmall = {"-d", "96x54", "-c", "709"};
const std::vector<std::string> kSmallPattern = {"-d", "96x54", "-c", "709", "-s", "422"};

std::vector<Case> cases()
{
    return {
        {"cut PNG", "a.png", kSmall, kCutInHalf, 1, "damaged: the file ends"},
        {"PNG taller than its data", "a.png", kSmall, [](std::string& b) { putBE16(b, 22, 55); }, 1, "damaged"},
        {"bytes after a PNG's end", "a.png", kSmall, adding("\n\n"), 1, "damaged: 2 bytes follow the end chunk"},
        {"an IDAT chunk after the image data", "a.png", kSmall, adding(chunkOf("IDAT", 1), true), 1,
         "damaged: an IDAT chunk at byte"},
        {"a chunk and an IDAT chunk after the image data", "a.png", kSmall,
         adding(chunkOf("tEXt", 2) + chunkOf("IDAT", 1), true), 1, "follows the image data"},
        {"cut TIFF", "a.tif", kSmall, kCutInHalf, 1, "damaged: its first directory"},
        {"TIFF cut by one byte", "a.tif", kSmall, [](std::string& b) { b.pop_back(); }, 1, "the file is cut short"},
        {"TIFF taller than its strip", "a.tif", kSmall, [](std::string& b) { putLE(b, tiffValue(b, 257), 2, 55); }, 1,
         "damaged: strip 0 ends early: the strips hold 54 of 55 rows"},
        {"cut DPX", "a.dpx", kSmall, kCutInHalf, 1, "of 54 lines present"},
        {"DPX size field", "a.dpx", kSmall, [](std::string& b) { putLE(b, 16, 4, getLE(b, 16, 4) + 4); }, 1,
         "damaged: the size field"},
        {"cut pattern file", "a.pat", kSmallPattern, kCutInHalf, 1, "damaged: the file ends inside block"},
        {"bytes after a pattern file's last block", "a.pat", kSmallPattern, adding("xyz"), 1,
         "damaged: 3 bytes follow the last block"},
        {"bytes after a DPX's image data", "a.dpx", kSmall, adding("xyz"), 1, "3 bytes follow the image data"},
        {"one block too many", "a.pat", kSmallPattern,
         [](std::string& b) { putBE16(b, 16, static_cast<uint16_t>(((b[16] & 0xFF) << 8 | (b[17] & 0xFF)) + 1)); }, 1,
         "damaged: the file ends inside block"},
        {"not a picture", "a.png", kSmall, [](std::string& b) { b = "hello, world\n"; }, 2,
         "not a PNG, TIFF, DPX, instrument pattern or YUV4MPEG2 file"},
        {"empty", "a.png", kSmall, [](std::string& b) { b.clear(); }, 2, "it is empty"},
        {"8-bit TIFF", "a.tif", kSmall,
         [](std::string& b) {
             for (int i = 0; i < 3; ++i) putLE(b, tiffValue(b, 258) + 2 * i, 2, 8);
         },
         2, "not three contiguous 16-bit samples"},
        {"DPX with alpha", "a.dpx", kSmall, [](std::string& b) { b[800] = 51; }, 2, "descriptor 51"},
        {"pattern format 7", "a.pat", kSmallPattern, [](std::string& b) { b[13] = 7; }, 2, "sample format 7"},
    };
}

}  // namespace

TEST(InspectDamage, IsReportedWithTheFileNameAndItsStatus)
{
    for (const Case& c : cases()) {
        const std::string path = renderWithPm5544(c.options, c.name);
        std::string bytes = readFile(path);
        c.edit(bytes);
        writeFile(path, bytes);
        for (const std::vector<std::string>& action :
             {std::vector<std::string>{}, {"--preview", "p.png"}, {"--compare"}, {"--at", "0,0"}}) {
            const ProgramRun run = inspect(with(action, path));
            EXPECT_EQ(run.status, c.status) << c.what << " " << testing::PrintToString(action) << run.out << run.err;
            EXPECT_NE(run.err.find(path + ": "), std::string::npos) << c.what << ": " << run.err;
            if (action.empty()) {
                EXPECT_NE((run.out + run.err).find(c.message), std::string::npos)
                    << c.what << ": " << run.out << run.err;
            }
        }
    }
    const ProgramRun missing = inspect({"no-such-file.dpx"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no-such-file.dpx: cannot open it"), std::string::npos) << missing.err;
}

TEST(InspectDamage, NoChangeOfBytesEndsTheRunBySignal)
{
    const std::pair<const char*, std::vector<std::string>> files[] = {{"b.png", kSmall},
                                                                      {"b.tif", kSmall},
                                                                      {"b.dpx", kSmall},
                                                                      {"b.pat", kSmallPattern},
                                                                      {"b.xyz", {"-d", "96x54", "-c", "RGB-headroom"}}};
    for (const auto& [name, options] : files) {
        const std::string path = renderWithPm5544(options, name);
        const std::string original = readFile(path);
        // Bytes in the headers and spread through the rest, each set to values that break counts and sizes.
        for (std::size_t k = 0; k < 12; ++k) {
            std::string bytes = original;
            const std::size_t at = k < 8 ? k * 53 % std::min<std::size_t>(bytes.size(), 900) : k * 7919 % bytes.size();
            bytes[at] = static_cast<char>(k % 2 == 0 ? 0xFF : bytes[at] ^ 0x81);
            if (k % 5 == 4) bytes.resize(at);
            writeFile(path, bytes);
            const ProgramRun run = inspect({"--compare", "--preview", "p.png", path});
            EXPECT_LE(run.status, 2) << name << " byte " << at << ": " << run.err;
        }
    }
}

TEST(InspectDamage, BytesAfterATiffAreANoteNotDamage)
{
    const std::string path = renderWithPm5544(kSmall, "note.tif");
    writeFile(path, readFile(path) + "extra");
    const ProgramRun run = inspect({path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("5 bytes after the last byte its directory uses"), std::string::npos) << run.out;
}
