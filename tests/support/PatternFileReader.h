#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// An independent decoder of instrument pattern files, for checking what the
// writer produced line by line.

// One sample as it means in memory (word0 Cr/R/X', word1 Y/G/Y', word2 Cb/B/Z',
// word3 the second Y of a 4:2:2 pair), whatever order the file stores it in.
struct DecodedSample {
    uint16_t word0 = 0, word1 = 0, word2 = 0, word3 = 0;
    bool operator!=(const DecodedSample& o) const
    {
        return word0 != o.word0 || word1 != o.word1 || word2 != o.word2 || word3 != o.word3;
    }
};

// A run (repeatCount >= 1, one sample) or a literal list (repeatCount 0), with
// the file's halved counts.
struct DecodedSection {
    unsigned repeatCount = 0;
    std::vector<DecodedSample> samples;
};

struct DecodedBlock {
    unsigned percentage = 0;  // lines, or a percentage of the frame when the line-count flag is 0
    std::vector<DecodedSection> sections;
};

struct DecodedPatternFile {
    int blockMode = 0, width = 0, lineCountFlag = 0, bitsPerSample = 0, sampleFormat = 0;
    std::vector<DecodedBlock> blocks;

    // The samples of every canvas line, blocks repeated by their line counts
    // (or by their percentage of frameHeight).
    std::vector<std::vector<DecodedSample>> lines(int frameHeight = 0) const;

    // Pixels of one line as (R, G, B) or (Cr, Y, Cb): a 4:2:2 sample gives two
    // pixels sharing its chroma.
    std::vector<std::array<uint16_t, 3>> pixels(const std::vector<DecodedSample>& line) const;
};

// False with a reason in `error` for an unreadable, truncated or malformed file,
// trailing bytes included.
bool readPatternFile(const std::string& path, DecodedPatternFile& out, std::string& error);
