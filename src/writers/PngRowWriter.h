#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class DeflateBands;

// Writes a 16-bit RGBA PNG (IHDR, IDAT, IEND only) row by row. Each row is
// filtered as it arrives and the rows are deflated in bands on every core
// while the next rows are made; the bands are written through libpng as
// IDAT chunks of one zlib stream.
class PngRowWriter {
public:
    // Writes to `file`, which the caller opened and closes.
    PngRowWriter(FILE* file, int width, int height);
    ~PngRowWriter();
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    // `samples` holds width pixels of four left-aligned 16-bit samples,
    // which become red, green, blue and alpha in that order.
    void writeRow(const uint16_t* samples);

    // Ends the file; false when anything failed since construction
    // (a size PNG cannot hold, a refused write, a compression error).
    bool finish();

private:
    void flushBand(bool last);
    void writeCompressed(const std::vector<uint8_t>& compressed);
    bool writeChunk(const char* type, const uint8_t* data, std::size_t length);

    FILE* file_;
    int width_;
    int height_;
    int rowsWritten_ = 0;
    std::size_t rowBytes_;
    int bandRows_;
    bool failed_ = false;
    bool firstChunk_ = true;
    std::vector<uint16_t> previous_;   // the last row's samples, for the Up filter
    std::unique_ptr<uint8_t[]> band_;  // filtered rows of the band being filled
    std::size_t bandLength_ = 0;
    std::size_t bandCapacity_ = 0;
    std::unique_ptr<DeflateBands> deflate_;
    struct Png;
    std::unique_ptr<Png> png_;
};
