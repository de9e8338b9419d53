#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The stream header of a YUV4MPEG2 (Y4M) file and the layout of its frames:
// three planes, Y' then Cb then Cr, of one or two bytes per sample.
namespace Y4m {

// Older readers (FFmpeg before 4.3 and several analysers) read the header
// line into 80 bytes: the whole line, its newline included, stays within it.
constexpr std::size_t kMaxHeaderBytes = 80;

// What every frame starts with, before its planes.
inline constexpr char kFrameMarker[] = "FRAME\n";
constexpr std::size_t kFrameMarkerBytes = sizeof kFrameMarker - 1;

enum class Chroma { Full444, Half422, Quarter420 };
enum class FieldOrder { Progressive, TopFirst, BottomFirst };

// A ratio of two positive numbers, as the F (frame rate) and A (pixel aspect)
// fields hold it.
struct Ratio {
    int64_t numerator = 1;
    int64_t denominator = 1;
};

struct Header {
    int width = 0;
    int height = 0;
    Ratio frameRate{25, 1};
    FieldOrder fieldOrder = FieldOrder::Progressive;
    Ratio pixelAspect{1, 1};
    Chroma chroma = Chroma::Full444;
    int bitDepth = 8;  // of the codes; see storedDepth()
    bool fullRange = false;
};

// `ratio` in lowest terms.
Ratio lowestTerms(Ratio ratio);

// The shape of one pixel of a picture of `width` x `height` samples shown at
// the display aspect `aspectWidth`:`aspectHeight`, in lowest terms.
Ratio pixelAspectOf(int width, int height, int aspectWidth, int aspectHeight);

// The depth the codes are stored at: 8, 9, 10, 12, 14 or 16 bits as they
// are. FFmpeg takes the p11, p13 and p15 tags for 8-bit data without a word,
// so 11, 13 and 15 bits are stored as 12, 14 and 16 by a left shift of every
// code (exact, and undone by a right shift).
int storedDepth(int bitDepth);

// Bytes of one stored sample: 1 up to 8 bits, else 2 (little-endian, the
// value in the low bits).
int bytesPerSample(int bitDepth);

// Samples per line and lines of each chroma plane: those of the even
// samples (and, in 4:2:0, the even lines) of the picture.
int chromaWidth(const Header& header);
int chromaHeight(const Header& header);

// "YUV4MPEG2 W.. H.. F.. I. A.. C.. XCOLORRANGE=..\n", the rate and aspect in
// lowest terms.
std::string headerLine(const Header& header);

// The bytes of one frame: "FRAME\n" and the three planes.
std::size_t frameBytes(const Header& header);

}  // namespace Y4m
