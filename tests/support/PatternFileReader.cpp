#include "support/PatternFileReader.h"

#include <cstring>

#include "support/RunProgram.h"

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr char kMagic[8] = {'P', 'A', 'T', 'T', 'E', 'R', 'N', '\0'};

class ByteCursor {
public:
    explicit ByteCursor(const std::string& bytes) : bytes_(bytes) {}

    bool u8(unsigned& v)
    {
        if (pos_ + 1 > bytes_.size()) return false;
        v = static_cast<unsigned char>(bytes_[pos_++]);
        return true;
    }

    bool u16(unsigned& v)
    {
        unsigned hi = 0, lo = 0;
        if (!u8(hi) || !u8(lo)) return false;
        v = (hi << 8) | lo;
        return true;
    }

    bool atEnd() const { return pos_ == bytes_.size(); }
    std::size_t position() const { return pos_; }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
};

bool readSample(ByteCursor& in, bool fourWords, DecodedSample& s)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!in.u16(a) || !in.u16(b) || !in.u16(c)) return false;
    if (fourWords && !in.u16(d)) return false;
    if (fourWords) {
        // Stored as word2, word1, word0, word3.
        s = DecodedSample{static_cast<uint16_t>(c), static_cast<uint16_t>(b), static_cast<uint16_t>(a),
                          static_cast<uint16_t>(d)};
    } else {
        s = DecodedSample{static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(c), 0};
    }
    return true;
}

bool fail(std::string& error, const std::string& what, std::size_t at)
{
    error = what + " at byte " + std::to_string(at);
    return false;
}

bool readSection(ByteCursor& in, bool fourWords, DecodedSection& section, std::string& error)
{
    unsigned first = 0;
    if (!in.u16(first)) return fail(error, "truncated section", in.position());
    if (first != 0) {
        if (first % 2 != 0) return fail(error, "odd run count", in.position());
        section.repeatCount = first / 2;
        section.samples.resize(1);
        if (!readSample(in, fourWords, section.samples[0])) return fail(error, "truncated run sample", in.position());
        return true;
    }
    unsigned doubled = 0;
    if (!in.u16(doubled)) return fail(error, "truncated literal count", in.position());
    if (doubled % 2 != 0) return fail(error, "odd literal count", in.position());
    section.repeatCount = 0;
    section.samples.resize(doubled / 2);
    for (DecodedSample& s : section.samples) {
        if (!readSample(in, fourWords, s)) return fail(error, "truncated literal sample", in.position());
    }
    return true;
}

bool readBlock(ByteCursor& in, bool fourWords, DecodedBlock& block, std::string& error)
{
    unsigned sectionCount = 0;
    if (!in.u16(block.percentage) || !in.u16(sectionCount)) return fail(error, "truncated block", in.position());
    if (sectionCount == 0) return fail(error, "block without sections", in.position());
    block.sections.resize(sectionCount);
    for (DecodedSection& s : block.sections) {
        if (!readSection(in, fourWords, s, error)) return false;
    }
    return true;
}

}  // namespace

std::vector<DecodedSample> DecodedBlock::expand() const
{
    std::vector<DecodedSample> out;
    for (const DecodedSection& s : sections) {
        if (s.repeatCount == 0) {
            out.insert(out.end(), s.samples.begin(), s.samples.end());
        } else {
            out.insert(out.end(), s.repeatCount, s.samples.front());
        }
    }
    return out;
}

std::vector<std::vector<DecodedSample>> DecodedPatternFile::lines(int frameHeight) const
{
    std::vector<std::vector<DecodedSample>> out;
    for (const DecodedBlock& b : blocks) {
        const std::vector<DecodedSample> line = b.expand();
        const unsigned repeat =
            lineCountFlag == 0 ? static_cast<unsigned>(frameHeight) * b.percentage / 100 : b.percentage;
        out.insert(out.end(), repeat, line);
    }
    return out;
}

std::vector<std::array<uint16_t, 3>> DecodedPatternFile::pixels(const std::vector<DecodedSample>& line) const
{
    std::vector<std::array<uint16_t, 3>> out;
    for (const DecodedSample& s : line) {
        out.push_back({s.word0, s.word1, s.word2});
        if (fourWords()) out.push_back({s.word0, s.word3, s.word2});
    }
    return out;
}

bool decodePatternFile(const std::string& bytes, DecodedPatternFile& out, std::string& error)
{
    out = DecodedPatternFile();
    if (bytes.size() < kHeaderSize) return fail(error, "truncated header", bytes.size());
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return fail(error, "bad magic", 0);
    ByteCursor in(bytes);
    unsigned skip = 0, v = 0;
    for (std::size_t i = 0; i < sizeof kMagic; ++i) in.u8(skip);
    in.u8(v);
    out.blockMode = static_cast<int>(v);
    in.u16(v);
    out.width = static_cast<int>(v);
    in.u8(v);
    out.lineCountFlag = static_cast<int>(v);
    in.u8(v);
    out.bitsPerSample = static_cast<int>(v);
    in.u8(v);
    out.sampleFormat = static_cast<int>(v);
    in.u16(v);
    out.reserved = static_cast<int>(v);

    const bool four = out.fourWords();
    if (out.blockMode == 1) {
        if (!in.u16(out.blockCount)) return fail(error, "missing block count", in.position());
        out.hasBlockCount = true;
        out.blocks.resize(out.blockCount);
        for (DecodedBlock& b : out.blocks) {
            if (!readBlock(in, four, b, error)) return false;
        }
    } else if (out.blockMode == 0 && !in.atEnd()) {
        out.blocks.resize(1);
        if (!readBlock(in, four, out.blocks[0], error)) return false;
    }
    if (!in.atEnd()) return fail(error, "trailing bytes", in.position());
    return true;
}

bool readPatternFile(const std::string& path, DecodedPatternFile& out, std::string& error)
{
    const std::string bytes = readFile(path);
    if (bytes.empty()) {
        error = "cannot read " + path;
        return false;
    }
    return decodePatternFile(bytes, out, error);
}
