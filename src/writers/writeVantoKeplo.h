#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The compressed run-length pattern file that the Vanto and Keplo instruments
// load: a list of line blocks, each a list of run and literal sections of
// samples, written big-endian. The header always says 12 bits per sample.

// The code values of a pattern file are 12-bit, as its header always says,
// or 10-bit for the HDR Y'CbCr canvases, whose conversions give 10-bit codes.
constexpr int kPatternFileBitDepth = 12;
constexpr int kPatternFileHdrCodeBits = 10;

// The instruments' standard-definition width: the X'Y'Z' conversion is told
// whether a file has it (no step depends on it).
constexpr uint16_t kStandardDefinitionWidth = 720;

// Counts in a section are stored doubled in 16 bits, so a section can hold at
// most this many samples (and a run at most this many repetitions).
constexpr unsigned int kMaxSectionSamples = 32767;

// One record of four code values (not left-aligned), at the depth the canvas
// conversion gave them: 12 bits, or 10 for the HDR Y'CbCr canvases. What the words mean
// depends on the file's sample format: (Cr, Y, Cb, Y of the next pixel) for
// Y'CbCr 4:2:2, (R, G, B, 0) for R'G'B', (Cr, Y, Cb, 0) for 4:4:4 and
// (X', Y', Z', 0) after the X'Y'Z' conversion.
class Sample {
public:
    uint16_t word0 = 0;
    uint16_t word1 = 0;
    uint16_t word2 = 0;
    uint16_t word3 = 0;

    // How every Sample is written: true, three words (word0, word1, word2);
    // false, four words (word2, word1, word0, word3).
    static bool b3Words;

    Sample() = default;
    Sample(uint16_t w0, uint16_t w1, uint16_t w2, uint16_t w3) : word0(w0), word1(w1), word2(w2), word3(w3) {}

    bool operator==(const Sample& other) const;
    bool operator!=(const Sample& other) const { return !(*this == other); }

    // Writes the sample in one write; raises on failure.
    bool Save(FILE* file) const;
};

// A run (one Sample repeated repeatCount times) or a literal list (repeatCount 0).
class Section {
public:
    std::vector<Sample> samplePairs;
    uint32_t repeatCount = 0;

    Section() = default;
    virtual ~Section() = default;

    void AddRepeatedSamplePair(unsigned int count, const Sample& s);
    void AddSamplePair(const Sample& s);
    bool Save(FILE* file) const;
    bool operator==(const Section& other) const;
    bool operator!=(const Section& other) const { return !(*this == other); }
    void ConvertToXYZ(bool flag);
};

// One line block: the sections of a line and the number of canvas lines it
// stands for (or 100, a percentage of the frame, for a single-block file).
class CompressedLine {
public:
    uint16_t percentage = 0;
    std::vector<Section*> sections;  // owned

    CompressedLine() = default;
    CompressedLine(const CompressedLine&) = delete;
    CompressedLine& operator=(const CompressedLine&) = delete;
    virtual ~CompressedLine();

    virtual bool Save(FILE* file);
    virtual void SetPercentage(unsigned short value);
    virtual unsigned short GetPercentage();
    virtual unsigned short GetSectionCount();
    virtual void ConvertToXYZ(bool flag);
    // Equal content: same sections in the same order (the percentage is ignored).
    virtual bool operator==(const CompressedLine& other);
    // Identity: true unless both hold the very same section objects.
    virtual bool operator!=(const CompressedLine& other);

    void AddRun(unsigned short count, Sample s);
    void AddArray(unsigned short count, Sample* samples);
};

// The whole pattern file; it owns its blocks.
class VantoKeploPatternFile {
public:
    int32_t blockMode = 0;  // 0: one block without a count; 1: a counted list of blocks
    uint16_t width = 0;
    std::vector<CompressedLine*> line_blocks;  // owned
    int32_t sampleFormat = 0;                  // 0 Y'CbCr 4:2:2, 1 R'G'B', 2 Y'CbCr 4:4:4, 3 X'Y'Z'
    int32_t bitsPerSample = 10;
    bool singleBlock = true;

    VantoKeploPatternFile();
    VantoKeploPatternFile(const VantoKeploPatternFile&) = delete;
    VantoKeploPatternFile& operator=(const VantoKeploPatternFile&) = delete;
    virtual ~VantoKeploPatternFile();

    virtual void AddBlock(CompressedLine* block);

    // Deletes every block and resets the format; keeps blockMode and width.
    void Clear();
    // X'Y'Z' samples from the R'G'B' ones of every block Save writes. A pm5544
    // run converts each block as it is made; pm5544-inspect converts the
    // whole file.
    void ConvertToXYZ();
    bool Save(std::string path);

    // The parts of Save: the 16-byte header (false when it could not be
    // written) and, in block mode 1, the count of blocks that follow.
    bool SaveHeader(FILE* file);
    void SaveBlockCount(FILE* file, std::size_t count);
};

// Sample formats of the file header.
namespace PatternFileFormat {
constexpr int32_t YCbCr422 = 0;
constexpr int32_t RGB = 1;
constexpr int32_t YCbCr444 = 2;
constexpr int32_t XYZ = 3;
}  // namespace PatternFileFormat

// Conversion of 12-bit studio-range Rec. 709 R'G'B' samples to 12-bit X'Y'Z'
// (DCI-P3 primaries, 48 cd/m^2 peak over the 52.37 normalising constant, 1/2.6
// power law). Everything is single precision except the matrix.
void XYZColourSpaceConvert(Sample* in, Sample* out, unsigned short count, bool flag);
float Normalise(unsigned short code);
float GammaToLinear(float v);
void LinearRGBtoXYZLinearConversion(float r, float g, float b, float& x, float& y, float& z);
void XYZLinearToXYZLog(float x, float y, float z, unsigned short& xCode, unsigned short& yCode, unsigned short& zCode);
