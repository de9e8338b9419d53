#include "inspect/InstrumentFileReader.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "inspect/InputBytes.h"
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

// Big-endian reads, through a buffer, that stop at the end of the file instead of past it.
class Cursor {
public:
    Cursor(const InputBytes& input, uint64_t position) : input_(&input), pos_(position) {}

    bool u16(uint16_t& value)
    {
        unsigned char b[2];
        if (!take(b, 2)) return false;
        value = static_cast<uint16_t>((b[0] << 8) | b[1]);
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
    uint64_t pos() const { return pos_; }
    bool atEnd() const { return pos_ >= input_->size(); }

private:
    bool take(unsigned char* out, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            if (next_ == filled_) {
                filled_ = input_->read(pos_, buffer_, sizeof buffer_);
                next_ = 0;
                if (filled_ == 0) return false;
            }
            out[i] = buffer_[next_++];
            ++pos_;
        }
        return true;
    }

    const InputBytes* input_;
    uint64_t pos_;
    unsigned char buffer_[1 << 14];
    std::size_t filled_ = 0;
    std::size_t next_ = 0;
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

// One block: its count, and its samples laid out along a line (at most
// `limit`, runs repeated) in `line`. False, with the reason in `problems`,
// when the file ends inside it; the block's other faults go to `problems`
// when it is given.
bool readBlock(Cursor& in, bool fourWords, std::size_t index, std::size_t limit, unsigned& count,
               std::vector<Sample>& line, long long& pixels, Tally& tally, std::vector<std::string>* problems)
{
    const std::string where = "block " + std::to_string(index);
    const auto report = [problems](const std::string& text) {
        if (problems != nullptr) problems->push_back(text);
    };
    uint16_t percentage = 0, sections = 0;
    line.clear();
    pixels = 0;
    if (!in.u16(percentage) || !in.u16(sections)) {
        report("the file ends inside " + where);
        return false;
    }
    count = percentage;
    if (sections == 0) report(where + " has no sections");
    long long samples = 0;
    for (uint16_t i = 0; i < sections; ++i) {
        uint16_t first = 0;
        uint16_t doubled = 0;
        if (!in.u16(first) || (first == 0 && !in.u16(doubled))) {
            report("the file ends inside " + where + ", section " + std::to_string(i));
            return false;
        }
        if (first != 0) doubled = first;
        if (doubled % 2 != 0) report(where + " section " + std::to_string(i) + " has an odd count");
        const unsigned n = doubled / 2u;
        const unsigned stored = first != 0 ? 1 : n;
        for (unsigned k = 0; k < stored; ++k) {
            Sample s;
            if (!in.sample(fourWords, s)) {
                report("the file ends inside " + where + ", section " + std::to_string(i));
                return false;
            }
            note(tally, s);
            const std::size_t copies = first != 0 ? n : 1;
            line.insert(line.end(), std::min(copies, limit - line.size()), s);
        }
        if (first != 0) {
            ++tally.runs;
        } else {
            ++tally.literals;
        }
        tally.samples += stored;
        samples += n;
    }
    pixels = samples * (fourWords ? 2 : 1);
    return true;
}

// The rows of the blocks, each block's line repeated as often as it counts.
class PatternRows : public FileRows {
public:
    PatternRows(const InputBytes& input, const FrameShape& shape, uint64_t firstBlock, std::size_t blocks,
                bool singleBlock, bool pairs)
        : input_(input),
          firstBlock_(firstBlock),
          blocks_(blocks),
          singleBlock_(singleBlock),
          pairs_(pairs),
          in_(input, firstBlock)
    {
        shape_ = shape;
    }

    void restart() override
    {
        in_ = Cursor(input_, firstBlock_);
        block_ = 0;
        left_ = 0;
        problems_.clear();
    }

    bool next(uint16_t* row) override
    {
        while (left_ == 0) {
            if (block_ >= blocks_) return false;
            unsigned count = 0;
            long long pixels = 0;
            Tally tally;
            if (!readBlock(in_, pairs_, block_, InstrumentFileExpansion::samplesPerLine(pairs_, shape_.width), count,
                           line_, pixels, tally, nullptr)) {
                block_ = blocks_;
                return false;
            }
            ++block_;
            left_ = InstrumentFileExpansion::linesOf(singleBlock_, count);
        }
        --left_;
        InstrumentFileExpansion::fillRow(line_, pairs_, shape_.width, row);
        return true;
    }

private:
    const InputBytes& input_;
    uint64_t firstBlock_;
    std::size_t blocks_;
    bool singleBlock_;
    bool pairs_;
    Cursor in_;
    std::size_t block_ = 0;
    long long left_ = 0;
    std::vector<Sample> line_;
};

}  // namespace

std::unique_ptr<FileRows> openInstrumentFile(const InputBytes& input, InspectedFile& result)
{
    unsigned char bytes[kHeaderSize];
    const std::size_t got = input.read(0, bytes, sizeof bytes);
    if (got < kHeaderSize) {
        result.problems.push_back("the file ends inside its header, at byte " + std::to_string(got) + " of " +
                                  std::to_string(kHeaderSize));
        return nullptr;
    }
    const int blockMode = bytes[kBlockModeByte];
    const int width = (bytes[kWidthByte] << 8) | bytes[kWidthByte + 1];
    const int lineCountFlag = bytes[kLineCountFlagByte];
    const bool singleBlock = lineCountFlag == 0;
    const int bitsPerSample = bytes[kBitsByte];
    const int format = bytes[kFormatByte];
    result.patternFormat = format;

    result.field("sample format", std::to_string(format) + " " + formatName(format));
    result.field("block mode",
                 std::to_string(blockMode) + (blockMode == 1 ? " (a counted list of blocks)" : " (one block)"));
    result.field("width", std::to_string(width));
    result.field("block counts",
                 std::to_string(lineCountFlag) + (singleBlock ? " (percent of the frame)" : " (canvas lines)"));
    result.field("bits per sample field", std::to_string(bitsPerSample));
    if (blockMode != 0 && blockMode != 1) {
        throw UnreadableFile("block mode " + std::to_string(blockMode) + " is neither 0 nor 1");
    }
    if (format < PatternFileFormat::YCbCr422 || format > PatternFileFormat::XYZ) {
        throw UnreadableFile("sample format " + std::to_string(format) + " is not one of 0 to 3");
    }

    // The whole file is walked once here, for its counts; the rows walk it again.
    Cursor in(input, kHeaderSize);
    std::size_t blocks = 0;
    uint16_t listed = 0;
    if (blockMode == 1) {
        if (!in.u16(listed)) result.problems.push_back("the file ends before its block count");
        blocks = listed;
    } else {
        blocks = in.atEnd() ? 0 : 1;
    }
    const uint64_t firstBlock = in.pos();
    const bool pairs = format == PatternFileFormat::YCbCr422;
    Tally tally;
    std::size_t whole = 0;
    long long lines = 0;
    std::vector<Sample> line;
    for (; whole < blocks; ++whole) {
        unsigned count = 0;
        long long pixels = 0;
        // A block the file ends inside stands for no lines.
        if (!readBlock(in, pairs, whole, InstrumentFileExpansion::samplesPerLine(pairs, width), count, line, pixels,
                       tally, &result.problems)) {
            break;
        }
        // A 4:2:2 line of odd width ends in a sample whose second pixel is not on the canvas.
        if (pixels != width && !(pairs && pixels == width + 1)) {
            result.problems.push_back("block " + std::to_string(whole) + " holds " + std::to_string(pixels) +
                                      " pixels, the header's width is " + std::to_string(width));
        }
        lines += InstrumentFileExpansion::linesOf(singleBlock, count);
    }
    if (!in.atEnd()) {
        result.problems.push_back(std::to_string(input.size() - in.pos()) + " bytes follow the last block");
    }

    const bool yCbCr = format == PatternFileFormat::YCbCr422 || format == PatternFileFormat::YCbCr444;
    const int codeBits =
        yCbCr && tally.largestCode <= kLargestNarrowCode ? kPatternFileHdrCodeBits : kPatternFileBitDepth;
    result.field("blocks",
                 std::to_string(whole) + (blockMode == 1 ? " (count field " + std::to_string(listed) + ")" : ""));
    result.field("sections", std::to_string(tally.runs + tally.literals) + " (" + std::to_string(tally.runs) +
                                 " runs, " + std::to_string(tally.literals) + " literal lists)");
    result.field("samples stored", std::to_string(tally.samples) + (pairs ? " (two pixels each)" : ""));
    result.field("lines covered",
                 std::to_string(lines) +
                     (singleBlock ? " (counts read as percent of " +
                                        std::to_string(InstrumentFileExpansion::kAssumedFrameHeight) + " lines)"
                                  : ""));
    result.field("code depth", std::to_string(codeBits) + " bits (largest code " + std::to_string(tally.largestCode) +
                                   "; the header says " + std::to_string(bitsPerSample) + ")");

    result.layout = format == PatternFileFormat::RGB   ? ColourLayout::Rgb
                    : format == PatternFileFormat::XYZ ? ColourLayout::Xyz
                                                       : ColourLayout::YCbCr;
    result.chromaPairs = pairs;
    if (pairs) result.sampling = PatternGen::Sampling_422;
    switch (format) {
    case PatternFileFormat::YCbCr422:
        result.storedNames = {"Cb", "Y'", "Cr"};
        result.storedComponents = {FrameShape::kCbOrB, FrameShape::kYOrG, FrameShape::kCrOrR};
        break;
    case PatternFileFormat::RGB:
        result.storedNames = {"R'", "G'", "B'"};
        result.storedComponents = {FrameShape::kCrOrR, FrameShape::kYOrG, FrameShape::kCbOrB};
        break;
    case PatternFileFormat::YCbCr444:
        result.storedNames = {"Cr", "Y'", "Cb"};
        result.storedComponents = {FrameShape::kCrOrR, FrameShape::kYOrG, FrameShape::kCbOrB};
        break;
    default:
        result.storedNames = {"X'", "Y'", "Z'"};
        result.storedComponents = {FrameShape::kCrOrR, FrameShape::kYOrG, FrameShape::kCbOrB};
        break;
    }
    if (width == 0 || lines == 0) return nullptr;
    if (lines > INT32_MAX) {
        result.problems.push_back("its blocks cover " + std::to_string(lines) + " lines, more than a picture has");
        return nullptr;
    }
    FrameShape shape;
    shape.width = width;
    shape.height = static_cast<int>(lines);
    shape.components = 3;
    shape.storedBits = codeBits;
    shape.codeBits = codeBits;
    shape.presentWidth = width;
    shape.presentHeight = shape.height;  // every block was read whole above
    return std::make_unique<PatternRows>(input, shape, firstBlock, whole, singleBlock, pairs);
}
