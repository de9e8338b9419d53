#include <cstddef>
#include <stdexcept>

#include "patterns/CanvasConversion.h"
#include "patterns/PatternWrapper.h"

namespace {

constexpr int kSamplesPerPixel16 = 4;    // R/Cr, G/Y, B/Cb, alpha
constexpr int kSamplesPerPixelTiff = 3;  // R, G, B or Y, Cb, Cr
constexpr int kLeftAlignShift = 4;       // 12-bit code values at the top of 16 bits
constexpr int kRenderBitDepth = 12;

// Line-end shaping: the outermost sample keeps 10 % of its colour, the next 67 %.
constexpr double kOuterEndBlack = 0.9;
constexpr double kInnerEndBlack = 0.33;

inline unsigned short leftAligned(uint16_t code) {
    return static_cast<unsigned short>(code << kLeftAlignShift);
}


}  // namespace

bool PatternSpec::run_body(int /*commandLineValue*/, int width, int height, unsigned short* buffer) {
    const int half = width / 2;
    const bool fullCanvas = useFullCanvasSize();

    // First sample and line written, and the ends of the whole picture's lines
    // (in quadrant mode the picture is twice the output size).
    int xFirst = -half;
    int yFirst = 0;
    int pictureLineFirst = -half;
    int pictureLineLast = -half + width - 1;
    if (fullCanvas) {
        if (quadrant != PatternGen::Quadrant_None) {
            throw std::runtime_error("Quadrant mode is depracated");
        }
        xFirst = 0;
        pictureLineFirst = 0;
        pictureLineLast = width - 1;
    } else if (quadrant != PatternGen::Quadrant_None) {
        pictureLineFirst = -width;
        pictureLineLast = width - 1;
        const bool right = quadrant == PatternGen::Quadrant_TopRight || quadrant == PatternGen::Quadrant_BottomRight;
        const bool bottom = quadrant == PatternGen::Quadrant_BottomRight || quadrant == PatternGen::Quadrant_BottomLeft;
        xFirst = right ? 0 : -width;
        yFirst = bottom ? height : 0;
    }

    Pixel black(0, 0, 0, PatternGen::Colour_RGB, kRenderBitDepth);
    if (colourSpace.isColourDifference()) {
        black = black.convertTo(PatternGen::Colour_YCbCr_709);
    }
    const bool shapeLineEnds = riseTimeEnabled && !skipLineEndShaping;
    CanvasConversion toCanvas(colourSpace.axis);
    const size_t rowSamples = static_cast<size_t>(width) * kSamplesPerPixel16;

    // Chroma of subsampled output comes from the last even sample, carried
    // across line ends; before the first one it is that of a default pixel.
    const Pixel defaultPixel;
    uint16_t chromaCr = defaultPixel.cr;
    uint16_t chromaCb = defaultPixel.cb;

    for (int row = 0; row < height; ++row) {
        const int y = yFirst + row;
        unsigned short* out = buffer + static_cast<size_t>(row) * rowSamples;
        // 4:2:0 odd lines repeat the chroma of the line above; a first row on
        // an odd line has none above it and keeps its own chroma.
        const bool chromaFromAbove = sampling == PatternGen::Sampling_420 && (y & 1) != 0 && row > 0;
        for (int x = xFirst; x < xFirst + width; ++x, out += kSamplesPerPixel16) {
            Pixel c = toCanvas(body(x, y));

            if (shapeLineEnds) {
                if (x <= pictureLineFirst) {
                    c = black.blend(kOuterEndBlack, kOuterEndBlack, c);
                } else if (x <= pictureLineFirst + 1) {
                    c = black.blend(kInnerEndBlack, kInnerEndBlack, c);
                }
                if (x >= pictureLineLast) {
                    c = black.blend(kOuterEndBlack, kOuterEndBlack, c);
                } else if (x >= pictureLineLast - 1) {
                    c = black.blend(kInnerEndBlack, kInnerEndBlack, c);
                }
            }

            if ((x & 1) == 0) {
                chromaCr = c.cr;
                chromaCb = c.cb;
            }

            out[1] = leftAligned(c.y);
            out[3] = leftAligned(c.alpha);
            if (sampling == PatternGen::Sampling_444) {
                out[0] = leftAligned(c.cr);
                out[2] = leftAligned(c.cb);
            } else if (chromaFromAbove) {
                out[0] = out[0 - static_cast<ptrdiff_t>(rowSamples)];
                out[2] = out[2 - static_cast<ptrdiff_t>(rowSamples)];
            } else {
                out[0] = leftAligned(chromaCr);
                out[2] = leftAligned(chromaCb);
            }
        }
    }
    return true;
}

bool PatternSpec::run_body(int /*commandLineValue*/, int width, int& height, std::vector<std::pair<int, int>>& repeats,
                           unsigned char* buffer) {
    getLineRepeats(repeats);

    unsigned short* samples = reinterpret_cast<unsigned short*>(buffer);
    CanvasConversion toCanvas(colourSpace.axis);
    const bool rgb = colourSpace.colourIsRGB();
    const size_t rowSamples = static_cast<size_t>(width) * kSamplesPerPixelTiff;

    auto writeLine = [&](int y, int row) {
        unsigned short* out = samples + static_cast<size_t>(row) * rowSamples;
        for (int x = 0; x < width; ++x, out += kSamplesPerPixelTiff) {
            const Pixel& c = toCanvas(body(x, y));
            if (rgb) {
                out[0] = leftAligned(c.cr);
                out[1] = leftAligned(c.y);
                out[2] = leftAligned(c.cb);
            } else {
                out[0] = leftAligned(c.y);
                out[1] = leftAligned(c.cb);
                out[2] = leftAligned(c.cr);
            }
        }
    };

    if (repeats.empty()) {
        for (int y = 0; y < height; ++y) {
            writeLine(y, y);
        }
        return true;
    }

    // Stored lines are numbered without gaps; the list may be in any order.
    int rows = 0;
    for (int k = 0;; ++k) {
        auto stored = repeats.begin();
        while (stored != repeats.end() && stored->first != k) {
            ++stored;
        }
        if (stored == repeats.end()) {
            break;
        }
        writeLine(stored->second, rows);
        ++rows;
    }
    height = rows;
    return true;
}
