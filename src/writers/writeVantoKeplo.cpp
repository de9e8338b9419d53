#include "writers/writeVantoKeplo.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

constexpr char kMagic[8] = {'P', 'A', 'T', 'T', 'E', 'R', 'N', '\0'};
constexpr int kHeaderSize = 16;
constexpr int32_t kSavedBitsPerSample = 12;
constexpr int32_t kClearedBitsPerSample = 10;

// The instruments count samples in halves: every count is written doubled.
constexpr unsigned int kCountScale = 2;

void putU16(unsigned char* at, uint16_t value)
{
    at[0] = static_cast<unsigned char>(value >> 8);
    at[1] = static_cast<unsigned char>(value & 0xFF);
}

bool writeU16(FILE* file, uint16_t value)
{
    unsigned char bytes[2];
    putU16(bytes, value);
    return fwrite(bytes, sizeof bytes, 1, file) == 1;
}

// A doubled section count, refused when it cannot be held in 16 bits: the
// instruments would read a truncated count as a different section.
uint16_t doubledCount(std::size_t count)
{
    if (count > kMaxSectionSamples) {
        throw std::runtime_error("Section of " + std::to_string(count) +
                                 " samples is too long for a pattern file (at most " +
                                 std::to_string(kMaxSectionSamples) + ")");
    }
    return static_cast<uint16_t>(count * kCountScale);
}

// Closes the file on every way out of Save, errors included.
class FileCloser {
public:
    explicit FileCloser(FILE* file) : file_(file) {}
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    ~FileCloser() { fclose(file_); }

private:
    FILE* file_;
};

}  // namespace

// ---------------------------------------------------------------- Sample

bool Sample::b3Words = false;

bool Sample::operator==(const Sample& other) const
{
    return word0 == other.word0 && word1 == other.word1 && word2 == other.word2 && word3 == other.word3;
}

bool Sample::Save(FILE* file) const
{
    unsigned char bytes[8];
    std::size_t size;
    if (b3Words) {
        putU16(bytes + 0, word0);
        putU16(bytes + 2, word1);
        putU16(bytes + 4, word2);
        size = 6;
    } else {
        // Four-word samples carry the blue-difference chroma first.
        putU16(bytes + 0, word2);
        putU16(bytes + 2, word1);
        putU16(bytes + 4, word0);
        putU16(bytes + 6, word3);
        size = 8;
    }
    if (fwrite(bytes, size, 1, file) != 1) throw std::runtime_error("Problem writing Sample.\n");
    return true;
}

// ---------------------------------------------------------------- Section

void Section::AddRepeatedSamplePair(unsigned int count, const Sample& s)
{
    if (!samplePairs.empty()) throw std::runtime_error("Cannot add repeated samples - samplePairs not empty!");
    repeatCount = count;
    samplePairs.push_back(s);
}

void Section::AddSamplePair(const Sample& s)
{
    samplePairs.push_back(s);
}

bool Section::Save(FILE* file) const
{
    if (repeatCount != 0) {
        if (samplePairs.size() != 1)
            throw std::runtime_error("Repeated TPSection block must have exactly 1 sample pair.");
        if (!writeU16(file, doubledCount(repeatCount)))
            throw std::runtime_error("Problem saving Section SamplePair count.\n");
        samplePairs.front().Save(file);
        return true;
    }
    const uint16_t count = doubledCount(samplePairs.size());
    // A zero where a run count would be marks a literal section.
    if (!writeU16(file, 0)) throw std::runtime_error("Problem saving Section SamplePairs.\n");
    if (!writeU16(file, count)) throw std::runtime_error("Problem saving Section SamplePair count.\n");
    for (const Sample& s : samplePairs) s.Save(file);
    return true;
}

bool Section::operator==(const Section& other) const
{
    return repeatCount == other.repeatCount && samplePairs == other.samplePairs;
}

// ---------------------------------------------------------------- CompressedLine

CompressedLine::~CompressedLine()
{
    for (Section* s : sections) delete s;
}

bool CompressedLine::Save(FILE* file)
{
    if (!writeU16(file, percentage)) throw std::runtime_error("Problem writing Percentage.");
    if (sections.empty()) throw std::runtime_error("Zero length section is invalid!");
    if (sections.size() > 0xFFFF) throw std::runtime_error("Too many sections in a line block for a pattern file");
    if (!writeU16(file, GetSectionCount())) throw std::runtime_error("Problem writing sections");
    for (const Section* s : sections) s->Save(file);
    return true;
}

void CompressedLine::SetPercentage(unsigned short value)
{
    percentage = value;
}

unsigned short CompressedLine::GetPercentage()
{
    return percentage;
}

unsigned short CompressedLine::GetSectionCount()
{
    return static_cast<unsigned short>(sections.size());
}

bool CompressedLine::operator==(const CompressedLine& other)
{
    if (sections.size() != other.sections.size()) return false;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (*sections[i] != *other.sections[i]) return false;
    }
    return true;
}

bool CompressedLine::operator!=(const CompressedLine& other)
{
    if (sections.size() != other.sections.size()) return true;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sections[i] != other.sections[i]) return true;
    }
    return false;
}

void CompressedLine::AddRun(unsigned short count, Sample s)
{
    auto section = std::make_unique<Section>();
    section->AddRepeatedSamplePair(count, s);
    sections.push_back(section.get());
    section.release();  // owned by the line from here on
}

void CompressedLine::AddArray(unsigned short count, Sample* samples)
{
    auto section = std::make_unique<Section>();
    section->samplePairs.assign(samples, samples + count);
    sections.push_back(section.get());
    section.release();  // owned by the line from here on
}

// ---------------------------------------------------------------- VantoKeploPatternFile

VantoKeploPatternFile::VantoKeploPatternFile()
{
    Clear();
}

VantoKeploPatternFile::~VantoKeploPatternFile()
{
    Clear();
}

void VantoKeploPatternFile::AddBlock(CompressedLine* block)
{
    std::unique_ptr<CompressedLine> owned(block);
    line_blocks.push_back(block);
    owned.release();  // owned by the file from here on
}

void VantoKeploPatternFile::Clear()
{
    for (CompressedLine* block : line_blocks) delete block;
    line_blocks.clear();
    sampleFormat = PatternFileFormat::YCbCr422;
    Sample::b3Words = false;
    bitsPerSample = kClearedBitsPerSample;
    singleBlock = true;
}

bool VantoKeploPatternFile::Save(std::string path)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("Can't save file: " + path);
    FileCloser closer(file);

    if (!SaveHeader(file)) return false;

    if (blockMode == 0) {
        if (line_blocks.empty()) return true;
        return line_blocks.front()->Save(file);
    }
    if (blockMode != 1) return true;

    std::size_t written = 0;
    for (CompressedLine* block : line_blocks) {
        if (block->GetSectionCount() != 0) ++written;
    }
    SaveBlockCount(file, written);
    for (CompressedLine* block : line_blocks) {
        if (block->GetSectionCount() == 0) continue;
        if (!block->Save(file)) throw std::runtime_error("Problem saving line_blocks");
    }
    return true;
}

bool VantoKeploPatternFile::SaveHeader(FILE* file)
{
    bitsPerSample = kSavedBitsPerSample;
    unsigned char header[kHeaderSize] = {};
    std::memcpy(header, kMagic, sizeof kMagic);
    header[8] = static_cast<unsigned char>(blockMode & 0xFF);
    putU16(header + 9, width);
    header[11] = singleBlock ? 0 : 1;  // 1: block counts are line counts, not a percentage
    header[12] = static_cast<unsigned char>(bitsPerSample);
    header[13] = static_cast<unsigned char>(sampleFormat & 0xFF);
    return fwrite(header, sizeof header, 1, file) == 1;
}

void VantoKeploPatternFile::SaveBlockCount(FILE* file, std::size_t count)
{
    if (count > 0xFFFF) throw std::runtime_error("Too many line blocks for a pattern file");
    if (!writeU16(file, static_cast<uint16_t>(count))) throw std::runtime_error("Problem saving line_blocks");
}
