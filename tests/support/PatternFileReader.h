#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// An independent decoder of instrument pattern files, for checking what the
// writer produced byte by byte and line by line.

// One sample as it means in memory (word0 Cr/R/X', word1 Y/G/Y', word2 Cb/B/Z',
// word3 the second Y of a 4:2:2 pair), whatever order the file stores it in.
struct DecodedSample {
    uint16_t word0 = 0;
    uint16_t word1 = 0;
    uint16_t word2 = 0;
    uint16_t word3 = 0;
    bool operator==(const DecodedSample& o) const
    {
        return word0 == o.word0 && word1 == o.word1 && word2 == o.word2 && word3 == o.word3;
    }
    bool operator!=(const DecodedSample& o) const { return !(*this == o); }
};

// A section as stored: a run (repeatCount >= 1, one sample) or a literal list
// (repeatCount 0). The counts are the file's halved counts.
struct DecodedSection {
    unsigned repeatCount = 0;
    std::vector<DecodedSample> samples;
};

struct DecodedBlock {
    unsigned percentage = 0;
    std::vector<DecodedSection> sections;

    // The block's samples with runs expanded.
    std::vector<DecodedSample> expand() const;
};

struct DecodedPatternFile {
    int blockMode = 0;
    int width = 0;
    int lineCountFlag = 0;  // 0: one block, a percentage of the frame; 1: counts are lines
    int bitsPerSample = 0;
    int sampleFormat = 0;
    int reserved = 0;
    bool hasBlockCount = false;
    unsigned blockCount = 0;  // as written (block mode 1)
    std::vector<DecodedBlock> blocks;

    // Sample format 0 stores four words per sample, every other format three.
    bool fourWords() const { return sampleFormat == 0; }

    // The samples of every canvas line, blocks repeated by their line counts. For
    // a file whose one block is a percentage of the frame, frameHeight gives the
    // number of lines it covers.
    std::vector<std::vector<DecodedSample>> lines(int frameHeight = 0) const;

    // Pixels of one decoded line as (R, G, B) or (Cr, Y, Cb): a 4:2:2 sample gives
    // two pixels sharing its chroma.
    std::vector<std::array<uint16_t, 3>> pixels(const std::vector<DecodedSample>& line) const;
};

// Parses `bytes`; false with a reason in `error` for any malformed or truncated
// content, trailing bytes included.
bool decodePatternFile(const std::string& bytes, DecodedPatternFile& out, std::string& error);
bool readPatternFile(const std::string& path, DecodedPatternFile& out, std::string& error);
