#include "support/PatternFileReader.h"

#include "support/RunProgram.h"

namespace {

// Big-endian reads that flag running off the end instead of failing at once.
struct Cursor {
    const std::string& bytes;
    std::size_t pos = 0;
    bool ok = true;

    unsigned u8()
    {
        if (pos >= bytes.size()) return ok = false;
        return static_cast<unsigned char>(bytes[pos++]);
    }
    uint16_t u16()
    {
        const unsigned hi = u8();
        return static_cast<uint16_t>((hi << 8) | u8());
    }
    // Four-word samples are stored as word2, word1, word0, word3.
    DecodedSample sample(bool fourWords)
    {
        const uint16_t a = u16(), b = u16(), c = u16();
        return fourWords ? DecodedSample{c, b, a, u16()} : DecodedSample{a, b, c, 0};
    }
    void block(DecodedBlock& block, bool fourWords)
    {
        block.percentage = u16();
        block.sections.resize(u16());
        if (block.sections.empty()) ok = false;
        for (DecodedSection& s : block.sections) {
            const unsigned first = u16();
            s.repeatCount = first / 2;
            s.samples.resize(first != 0 ? 1 : u16() / 2);
            for (DecodedSample& sample : s.samples) sample = this->sample(fourWords);
            if (!ok) return;
        }
    }
};

}  // namespace

std::vector<std::vector<DecodedSample>> DecodedPatternFile::lines(int frameHeight) const
{
    std::vector<std::vector<DecodedSample>> out;
    for (const DecodedBlock& b : blocks) {
        std::vector<DecodedSample> line;
        for (const DecodedSection& s : b.sections) {
            if (s.repeatCount == 0)
                line.insert(line.end(), s.samples.begin(), s.samples.end());
            else
                line.insert(line.end(), s.repeatCount, s.samples.front());
        }
        out.insert(out.end(), lineCountFlag == 0 ? frameHeight * b.percentage / 100 : b.percentage, line);
    }
    return out;
}

std::vector<std::array<uint16_t, 3>> DecodedPatternFile::pixels(const std::vector<DecodedSample>& line) const
{
    std::vector<std::array<uint16_t, 3>> out;
    for (const DecodedSample& s : line) {
        out.push_back({s.word0, s.word1, s.word2});
        if (sampleFormat == 0) out.push_back({s.word0, s.word3, s.word2});
    }
    return out;
}

bool readPatternFile(const std::string& path, DecodedPatternFile& out, std::string& error)
{
    const std::string bytes = readFile(path);
    out = DecodedPatternFile();
    if (bytes.compare(0, 8, std::string("PATTERN\0", 8)) != 0) {
        error = "no pattern file header in " + path;
        return false;
    }
    Cursor in{bytes, 8};
    out.blockMode = in.u8();
    out.width = in.u16();
    out.lineCountFlag = in.u8();
    out.bitsPerSample = in.u8();
    out.sampleFormat = in.u8();
    in.u16();  // reserved
    if (out.blockMode == 1)
        out.blocks.resize(in.u16());
    else if (out.blockMode == 0 && in.pos < bytes.size())
        out.blocks.resize(1);
    for (DecodedBlock& b : out.blocks) {
        if (in.ok) in.block(b, out.sampleFormat == 0);
    }
    if (!in.ok || in.pos != bytes.size()) {
        error = (in.ok ? "trailing bytes at byte " : "malformed or truncated before byte ") + std::to_string(in.pos);
        return false;
    }
    return true;
}
