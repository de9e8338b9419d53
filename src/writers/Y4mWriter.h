#pragma once

#include <cstdint>
#include <vector>

#include "writers/MappedPages.h"
#include "writers/Y4mHeader.h"

class OutputFile;

// A YUV4MPEG2 stream of one picture repeated: the frame is assembled once from
// the lines of code values handed over, then written as many times as the
// stream holds frames, each time the same bytes. Into a pipe the frame's pages
// are handed over (vmsplice) rather than copied, so that the reader's copy is
// the only one: the frame is never changed once the first is written.
class Y4mWriter {
public:
    explicit Y4mWriter(const Y4m::Header& header);

    // The next line of Y' codes (width of them), and the next line of each
    // chroma plane (Y4m::chromaWidth of each), at the header's bit depth.
    void addLuma(const uint16_t* codes);
    void addChroma(const uint16_t* cb, const uint16_t* cr);

    // Writes the header line and `frames` frames (0: until the reader stops
    // reading) to `out`. A reader that stops early ends an endless stream
    // without fault; any other failure is recorded in `out`, and false returned.
    bool write(OutputFile& out, int64_t frames);

    // Whole frames written by write(), and whether it stopped because the
    // reader of a pipe stopped reading.
    int64_t framesWritten() const { return framesWritten_; }
    bool readerStopped() const { return readerStopped_; }

private:
    void store(const uint16_t* codes, int count, std::size_t& at);

    Y4m::Header header_;
    int shift_;  // up to the stored depth
    int sampleBytes_;
    MappedPages frame_;  // "FRAME\n" and the planes
    std::size_t lumaAt_;
    std::size_t cbAt_;
    std::size_t crAt_;
    int64_t framesWritten_ = 0;
    bool readerStopped_ = false;
};
