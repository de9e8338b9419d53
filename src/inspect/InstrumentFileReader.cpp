#include "inspect/InstrumentFileReader.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "inspect/InstrumentFileExpansion.h"
#include "inspect/UnreadableFile.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr std::size_t kHeaderSize = 16;
// Header bytes after the eight of "PATTERN\0"; the width is big-endian.
constexpr std::size_t kBlockModeByte = 8;
constexpr std::size_t kWidthByte = 9;
constexpr std::size_t kLineCountFlagByte = 11;
constexpr std::size_t kBitsByte = 12;
constexpr std::size_t kFormatByte = 13;
// The HDR Y'CbCr canvases give their 10-bit codes as they are; a 12-bit
// Y'CbCr file always has codes above this (its chroma mid-point is 2048).
constexpr uint16_t kLargestNarrowCode = (1 << kPatternFileHdrCodeBits) - 1;

const char* formatName(int format)
{
    switch (format) {
    case PatternFileFormat::YCbCr422: return "Y'CbCr 4:2:2 (pat)";
    case PatternFileFormat::RGB: return "R'G'B' (rgb)";
    case PatternFileFormat::YCbCr444: return "Y'CbCr 4:4:4 (yc4)";
    case PatternFileFormat::XYZ: return "X'Y'Z' (xyz)";
    }
    return "unknown";
}

// Big-endian reads that stop at the end of the file instead of past it.
class Cursor {
public:
    explicit Cursor(const std::string& bytes) : bytes_(bytes) {}

    bool u16(uint16_t& value)
    {
        if (pos_ + 2 > bytes_.size()) {
            pos_ = bytes_.size();
            return false;
        }
        value = static_cast<uint16_t>((static_cast<unsigned char>(bytes_[pos_]) << 8) |
                                      static_cast<unsigned char>(bytes_[pos_ + 1]));
        pos_ += 2;
        return true;
    }
    // Four-word samples are stored Cb, Y', Cr, second Y' (word2, word1, word0, word3).
    bool sample(bool fourWords, Sample& s)
    {
        uint16_t a = 0, b = 0, c = 0, d = 0;
        if (!u16(a) || !u16(b) || !u16(c) || (fourWords && !u16(d))) return false;
        s = fourWords ? Sample(c, b, a, d) : Sample(a, b, c, 0);
        return true;
    }
    std::size_t pos() const { return pos_; }
    void skip(std::size_t n) { pos_ += n; }
    bool atEnd() const { return pos_ >= bytes_.size(); }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
};

struct Tally {
    long long runs = 0;
    long long literals = 0;
    long long samples = 0;
    uint16_t largestCode = 0;
};

void note(Tally& tally, const Sample& s)
{
    tally.largestCode = std::max({tally.largestCode, s.word0, s.word1, s.word2, s.word3});
}

// One block into `block`; false, with the reason in `problems`, when the file
// ends inside it.
bool readBlock(Cursor& in, bool fourWords, std::size_t index, CompressedLine& block, Tally& tally,
               std::vector<std::string>& problems)
{
    const std::string where = "block " + std::to_string(index);
    uint16_t percentage = 0, sections = 0;
    if (!in.u16(percentage) || !in.u16(sections)) {
        problems.push_back("the file ends inside " + where);
        return false;
    }
    block.percentage = percentage;
    if (sections == 0) problems.push_back(where + " has no sections");
    for (uint16_t i = 0; i < sections; ++i) {
        uint16_t first = 0;
        if (!in.u16(first)) break;
        uint16_t doubled = first;
        if (first == 0 && !in.u16(doubled)) break;
        if (doubled % 2 != 0) problems.push_back(where + " section " + std::to_string(i) + " has an odd count");
        const unsigned count = doubled / 2u;
        std::vector<Sample> samples(first != 0 ? 1 : count);
        bool complete = true;
        for (Sample& s : samples) {
            complete = complete && in.sample(fourWords, s);
            note(tally, s);
        }
        if (!complete) break;
        if (first != 0) {
            block.AddRun(static_cast<unsigned short>(count), samples.front());
            ++tally.runs;
        } else {
            block.AddArray(static_cast<unsigned short>(count), samples.data());
            ++tally.literals;
        }
        tally.samples += static_cast<long long>(samples.size());
    }
    if (block.sections.size() != sections) {
        problems.push_back("the file ends inside " + where + ", section " + std::to_string(block.sections.size()));
        return false;
    }
    return true;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

InspectedFile readInstrumentFile(const std::string& path)
{
    InspectedFile result;
    result.path = path;
    result.kind = FileKind::PatternFile;
    const std::string bytes = readAll(path);
    if (bytes.size() < kHeaderSize) {
        result.problems.push_back("the file ends inside its header, at byte " + std::to_string(bytes.size()) + " of " +
                                  std::to_string(kHeaderSize));
        return result;
    }
    const auto byteAt = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    VantoKeploPatternFile file;
    file.blockMode = byteAt(kBlockModeByte);
    file.width = static_cast<uint16_t>((byteAt(kWidthByte) << 8) | byteAt(kWidthByte + 1));
    const int lineCountFlag = byteAt(kLineCountFlagByte);
    file.singleBlock = lineCountFlag == 0;
    file.bitsPerSample = byteAt(kBitsByte);
    file.sampleFormat = byteAt(kFormatByte);
    const int format = file.sampleFormat;
    result.patternFormat = format;

    result.field("sample format", std::to_string(format) + " " + formatName(format));
    result.field("block mode", std::to_string(file.blockMode) +
                                   (file.blockMode == 1 ? " (a counted list of blocks)" : " (one block)"));
    result.field("width", std::to_string(file.width));
    result.field("block counts",
                 std::to_string(lineCountFlag) + (file.singleBlock ? " (percent of the frame)" : " (canvas lines)"));
    result.field("bits per sample field", std::to_string(file.bitsPerSample));
    if (file.blockMode != 0 && file.blockMode != 1) {
        throw UnreadableFile("block mode " + std::to_string(file.blockMode) + " is neither 0 nor 1");
    }
    if (format < PatternFileFormat::YCbCr422 || format > PatternFileFormat::XYZ) {
        throw UnreadableFile("sample format " + std::to_string(format) + " is not one of 0 to 3");
    }

    Cursor in(bytes);
    in.skip(kHeaderSize);
    std::size_t blocks = 0;
    uint16_t listed = 0;
    if (file.blockMode == 1) {
        if (!in.u16(listed)) result.problems.push_back("the file ends before its block count");
        blocks = listed;
    } else {
        blocks = in.atEnd() ? 0 : 1;
    }
    const bool pairs = format == PatternFileFormat::YCbCr422;
    Tally tally;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::unique_ptr<CompressedLine> block = std::make_unique<CompressedLine>();
        // A block the file ends inside stands for no lines.
        if (!readBlock(in, pairs, b, *block, tally, result.problems)) break;
        file.AddBlock(block.release());
    }
    if (!in.atEnd()) {
        result.problems.push_back(std::to_string(bytes.size() - in.pos()) + " bytes follow the last block");
    }

    const bool yCbCr = format == PatternFileFormat::YCbCr422 || format == PatternFileFormat::YCbCr444;
    const int codeBits =
        yCbCr && tally.largestCode <= kLargestNarrowCode ? kPatternFileHdrCodeBits : kPatternFileBitDepth;
    result.field("blocks", std::to_string(file.line_blocks.size()) +
                               (file.blockMode == 1 ? " (count field " + std::to_string(listed) + ")" : std::string()));
    result.field("sections", std::to_string(tally.runs + tally.literals) + " (" + std::to_string(tally.runs) +
                                 " runs, " + std::to_string(tally.literals) + " literal lists)");
    result.field("samples stored", std::to_string(tally.samples) + (pairs ? " (two pixels each)" : ""));
    result.field("lines covered",
                 std::to_string(InstrumentFileExpansion::linesCovered(file)) +
                     (file.singleBlock ? " (counts read as percent of " +
                                             std::to_string(InstrumentFileExpansion::kAssumedFrameHeight) + " lines)"
                                       : ""));
    result.field("code depth", std::to_string(codeBits) + " bits (largest code " + std::to_string(tally.largestCode) +
                                   "; the header says " + std::to_string(file.bitsPerSample) + ")");

    result.layout = format == PatternFileFormat::RGB   ? ColourLayout::Rgb
                    : format == PatternFileFormat::XYZ ? ColourLayout::Xyz
                                                       : ColourLayout::YCbCr;
    result.chromaPairs = pairs;
    if (pairs) result.sampling = PatternGen::Sampling_422;
    result.frame = InstrumentFileExpansion::expand(file, pairs, codeBits, result.problems);
    switch (format) {
    case PatternFileFormat::YCbCr422:
        result.storedNames = {"Cb", "Y'", "Cr"};
        result.storedComponents = {CodeFrame::kCbOrB, CodeFrame::kYOrG, CodeFrame::kCrOrR};
        break;
    case PatternFileFormat::RGB:
        result.storedNames = {"R'", "G'", "B'"};
        result.storedComponents = {CodeFrame::kCrOrR, CodeFrame::kYOrG, CodeFrame::kCbOrB};
        break;
    case PatternFileFormat::YCbCr444:
        result.storedNames = {"Cr", "Y'", "Cb"};
        result.storedComponents = {CodeFrame::kCrOrR, CodeFrame::kYOrG, CodeFrame::kCbOrB};
        break;
    default:
        result.storedNames = {"X'", "Y'", "Z'"};
        result.storedComponents = {CodeFrame::kCrOrR, CodeFrame::kYOrG, CodeFrame::kCbOrB};
        break;
    }
    return result;
}
