#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "patterns/PatternWrapper.h"

namespace {

using Repeats = std::vector<std::pair<int, int>>;

// Every sample tells where it came from: G/Y' = 1000 + y, B/Cb = 2000 + x,
// R/Cr = 3000 + 10 y + x. A constant colour can be set instead.
class CoordPattern : public PatternSpec {
public:
    bool fullCanvas = false;
    bool constant = false;
    Pixel constantColour;
    Repeats storedLines;
    bool overridesRepeats = false;

    CoordPattern() {
        colourSpace = ColourSpace(PatternGen::Colour_RGB, 12, false);
        sampling = PatternGen::Sampling_444;
        skipLineEndShaping = true;
    }
    void setup() override {}
    Pixel body(int x, int y) override {
        if (constant) {
            return constantColour;
        }
        return Pixel(1000 + y, 2000 + x, 3000 + 10 * y + x, colourSpace.axis, 12);
    }
    bool useFullCanvasSize() override { return fullCanvas; }
    void getLineRepeats(Repeats& repeats) override {
        if (overridesRepeats) {
            repeats = storedLines;
        } else {
            PatternSpec::getLineRepeats(repeats);
        }
    }
};

constexpr unsigned short kUnwritten = 0xABCD;

// A 16-bit buffer of width x height pixels, read back as 12-bit code values.
struct Buffer16 {
    int width;
    std::vector<unsigned short> samples;
    Buffer16(int w, int h) : width(w), samples(static_cast<size_t>(w) * h * 4, kUnwritten) {}
    int at(int row, int col, int k) const { return samples[(static_cast<size_t>(row) * width + col) * 4 + k] >> 4; }
    int r(int row, int col) const { return at(row, col, 0); }  // R or Cr
    int g(int row, int col) const { return at(row, col, 1); }  // G or Y'
    int b(int row, int col) const { return at(row, col, 2); }  // B or Cb
    int a(int row, int col) const { return at(row, col, 3); }
};

struct BufferTiff {
    int width;
    std::vector<unsigned short> samples;
    BufferTiff(int w, int h) : width(w), samples(static_cast<size_t>(w) * h * 3, kUnwritten) {}
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(samples.data()); }
    int at(int row, int col, int k) const { return samples[(static_cast<size_t>(row) * width + col) * 3 + k] >> 4; }
};

void expectCoords(const Buffer16& buf, int row, int col, int x, int y) {
    EXPECT_EQ(buf.g(row, col), 1000 + y) << "row " << row << " col " << col;
    EXPECT_EQ(buf.b(row, col), 2000 + x) << "row " << row << " col " << col;
    EXPECT_EQ(buf.r(row, col), 3000 + 10 * y + x) << "row " << row << " col " << col;
}

}  // namespace

// --- 16-bit form: sample range and layout -----------------------------------

TEST(LineRender16, CentredLinesAreLeftAlignedRgba) {
    CoordPattern p;
    Buffer16 buf(8, 2);
    EXPECT_TRUE(p.run_body(0, 8, 2, buf.samples.data()));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 8; ++col) {
            expectCoords(buf, row, col, col - 4, row);
            EXPECT_EQ(buf.a(row, col), 4095);
        }
    }
    // Low four bits are clear.
    EXPECT_EQ(buf.samples[1] & 0xF, 0);
}

TEST(LineRender16, OddWidthFillsEveryColumn) {
    CoordPattern p;
    Buffer16 buf(7, 2);
    p.run_body(0, 7, 2, buf.samples.data());
    expectCoords(buf, 0, 0, -3, 0);
    expectCoords(buf, 0, 6, 3, 0);
    expectCoords(buf, 1, 0, -3, 1);
}

TEST(LineRender16, FullCanvasStartsAtZero) {
    CoordPattern p;
    p.fullCanvas = true;
    Buffer16 buf(4, 2);
    p.run_body(0, 4, 2, buf.samples.data());
    expectCoords(buf, 0, 0, 0, 0);
    expectCoords(buf, 1, 3, 3, 1);
}

TEST(LineRender16, QuadrantsWriteOneQuarterOfTheDoubledPicture) {
    struct Case {
        PatternGen::quadrant_e quadrant;
        int firstX;
        int firstY;
    };
    for (const Case& c : {Case{PatternGen::Quadrant_TopRight, 0, 0}, Case{PatternGen::Quadrant_BottomRight, 0, 2},
                          Case{PatternGen::Quadrant_BottomLeft, -4, 2}, Case{PatternGen::Quadrant_TopLeft, -4, 0}}) {
        SCOPED_TRACE(c.quadrant);
        CoordPattern p;
        p.quadrant = c.quadrant;
        Buffer16 buf(4, 2);
        p.run_body(0, 4, 2, buf.samples.data());
        expectCoords(buf, 0, 0, c.firstX, c.firstY);
        expectCoords(buf, 1, 3, c.firstX + 3, c.firstY + 1);
    }
}

TEST(LineRender16, QuadrantOnFullCanvasPatternIsRefused) {
    CoordPattern p;
    p.fullCanvas = true;
    p.quadrant = PatternGen::Quadrant_TopLeft;
    Buffer16 buf(4, 2);
    try {
        p.run_body(0, 4, 2, buf.samples.data());
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Quadrant mode is depracated");
    }
    for (unsigned short s : buf.samples) {
        ASSERT_EQ(s, kUnwritten);
    }
}

TEST(LineRender16, YCbCrOrderIsCrYCbAlpha) {
    CoordPattern p;
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 12, false);
    p.constant = true;
    p.constantColour = Pixel(1500, 1600, 1700);
    Buffer16 buf(2, 1);
    p.run_body(0, 2, 1, buf.samples.data());
    EXPECT_EQ(buf.r(0, 0), 1700);
    EXPECT_EQ(buf.g(0, 0), 1500);
    EXPECT_EQ(buf.b(0, 0), 1600);
    EXPECT_EQ(buf.a(0, 0), 4095);
}

TEST(LineRender16, TenBitCanvasIsWidenedToTwelveBits) {
    CoordPattern p;
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 10, false);
    p.constant = true;
    p.constantColour = Pixel(940, 512, 600, PatternGen::Colour_YCbCr_709, 10);
    Buffer16 buf(2, 1);
    p.run_body(0, 2, 1, buf.samples.data());
    EXPECT_EQ(buf.samples[0], 600 * 4 << 4);
    EXPECT_EQ(buf.samples[1], 940 * 4 << 4);
    EXPECT_EQ(buf.samples[2], 512 * 4 << 4);
    EXPECT_EQ(buf.samples[3], 1023 * 4 << 4);
}

// --- 16-bit form: line-end shaping -------------------------------------------

class LineEnds : public testing::Test {
protected:
    CoordPattern p;
    void SetUp() override {
        p.constant = true;
        p.constantColour = Pixel(4000, 4000, 4000, PatternGen::Colour_RGB, 12);
        p.riseTimeEnabled = true;
        p.skipLineEndShaping = false;
    }
    std::vector<int> greens() {
        Buffer16 buf(8, 1);
        p.run_body(0, 8, 1, buf.samples.data());
        std::vector<int> g;
        for (int col = 0; col < 8; ++col) {
            g.push_back(buf.g(0, col));
        }
        return g;
    }
};

TEST_F(LineEnds, OuterSamplesDarkened) {
    // 10 % and 67 % of 4000, truncated after the blend with black.
    EXPECT_EQ(greens(), (std::vector<int>{399, 2679, 4000, 4000, 4000, 4000, 2679, 399}));
}

TEST_F(LineEnds, SkippedOnRequestOrWithoutRiseTime) {
    const std::vector<int> flat(8, 4000);
    p.skipLineEndShaping = true;
    EXPECT_EQ(greens(), flat);
    p.skipLineEndShaping = false;
    p.riseTimeEnabled = false;
    EXPECT_EQ(greens(), flat);
}

TEST_F(LineEnds, YCbCrEndsFadeToRec709Black) {
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 12, false);
    p.constantColour = Pixel(3760, 2048, 3000);
    Buffer16 buf(8, 1);
    p.run_body(0, 8, 1, buf.samples.data());
    EXPECT_EQ(buf.g(0, 0), 606);   // 256 + 0.1 * 3504
    EXPECT_EQ(buf.b(0, 0), 2048);  // neutral chroma stays neutral
    EXPECT_LT(buf.r(0, 0), 2048 + 100);
    EXPECT_EQ(buf.g(0, 3), 3760);
    EXPECT_EQ(buf.a(0, 0), 4095);
}

TEST_F(LineEnds, FullCanvasShapesThePictureEnds) {
    p.fullCanvas = true;
    EXPECT_EQ(greens(), (std::vector<int>{399, 2679, 4000, 4000, 4000, 4000, 2679, 399}));
}

// --- 16-bit form: chroma subsampling -------------------------------------------

TEST(LineRender16Chroma, FourTwoTwoRepeatsEvenChromaOnOddSamples) {
    CoordPattern p;
    p.sampling = PatternGen::Sampling_422;
    Buffer16 buf(8, 2);
    p.run_body(0, 8, 2, buf.samples.data());
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 8; ++col) {
            const int x = col - 4;
            const int evenX = col % 2 == 0 ? x : x - 1;
            EXPECT_EQ(buf.g(row, col), 1000 + row);
            EXPECT_EQ(buf.b(row, col), 2000 + evenX) << row << "," << col;
            EXPECT_EQ(buf.r(row, col), 3000 + 10 * row + evenX) << row << "," << col;
        }
    }
}

TEST(LineRender16Chroma, OddLineStartTakesChromaOfPreviousLine) {
    CoordPattern p;
    p.sampling = PatternGen::Sampling_422;
    Buffer16 buf(6, 2);  // lines run from x = -3
    p.run_body(0, 6, 2, buf.samples.data());
    // First line: nothing even yet, so the chroma of a default pixel.
    EXPECT_EQ(buf.r(0, 0), 2048);
    EXPECT_EQ(buf.b(0, 0), 2048);
    EXPECT_EQ(buf.g(0, 0), 1000);
    // Second line: the last even sample of the first line, x = 2.
    EXPECT_EQ(buf.b(1, 0), 2002);
    EXPECT_EQ(buf.r(1, 0), 3002);
    // x = -2 then supplies x = -1.
    EXPECT_EQ(buf.b(1, 2), 1998);
}

TEST(LineRender16Chroma, FourTwoZeroOddLinesRepeatTheLineAbove) {
    CoordPattern p;
    p.sampling = PatternGen::Sampling_420;
    Buffer16 buf(4, 4);
    p.run_body(0, 4, 4, buf.samples.data());
    for (int row = 0; row < 4; ++row) {
        const int chromaRow = row - row % 2;
        for (int col = 0; col < 4; ++col) {
            const int evenX = (col - col % 2) - 2;
            EXPECT_EQ(buf.g(row, col), 1000 + row);
            EXPECT_EQ(buf.b(row, col), 2000 + evenX) << row << "," << col;
            EXPECT_EQ(buf.r(row, col), 3000 + 10 * chromaRow + evenX) << row << "," << col;
            EXPECT_EQ(buf.a(row, col), 4095);
        }
    }
}

TEST(LineRender16Chroma, FourTwoZeroStartingOnAnOddLineKeepsItsOwnChroma) {
    CoordPattern p;
    p.sampling = PatternGen::Sampling_420;
    p.quadrant = PatternGen::Quadrant_BottomRight;
    Buffer16 buf(2, 3);  // bottom quadrant of height 3 starts on line 3
    p.run_body(0, 2, 3, buf.samples.data());
    EXPECT_EQ(buf.r(0, 0), 3030);
    EXPECT_EQ(buf.r(0, 1), 3030);
    EXPECT_EQ(buf.r(1, 1), 3040);
    EXPECT_EQ(buf.r(2, 1), 3040);  // line 5 repeats line 4
}

// --- TIFF form -----------------------------------------------------------------

TEST(LineRenderTiff, WholeCanvasFromXZeroInRgbOrder) {
    CoordPattern p;  // a centred pattern: the TIFF form still starts at x = 0
    p.riseTimeEnabled = true;
    p.skipLineEndShaping = false;
    BufferTiff buf(4, 3);
    int height = 3;
    Repeats repeats = {{0, 1}};
    EXPECT_TRUE(p.run_body(0, 4, height, repeats, buf.bytes()));
    EXPECT_EQ(height, 3);
    EXPECT_TRUE(repeats.empty());
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(buf.at(row, col, 0), 3000 + 10 * row + col);  // R, unshaped
            EXPECT_EQ(buf.at(row, col, 1), 1000 + row);             // G
            EXPECT_EQ(buf.at(row, col, 2), 2000 + col);             // B
        }
    }
}

TEST(LineRenderTiff, YCbCrOrderAndNoSubsampling) {
    CoordPattern p;
    p.colourSpace = ColourSpace(PatternGen::Colour_YCbCr_709, 10, false);
    p.sampling = PatternGen::Sampling_420;
    p.constant = true;
    p.constantColour = Pixel(940, 512, 600, PatternGen::Colour_YCbCr_709, 10);
    BufferTiff buf(2, 2);
    int height = 2;
    Repeats repeats;
    p.run_body(0, 2, height, repeats, buf.bytes());
    EXPECT_EQ(buf.samples[0], 940 * 4 << 4);
    EXPECT_EQ(buf.samples[1], 512 * 4 << 4);
    EXPECT_EQ(buf.samples[2], 600 * 4 << 4);
}

TEST(LineRenderTiff, StoredLinesFromTheRepeatList) {
    CoordPattern p;
    p.overridesRepeats = true;
    p.storedLines = {{0, 99}, {1, 199}};
    BufferTiff buf(2, 200);
    int height = 200;
    Repeats repeats;
    p.run_body(0, 2, height, repeats, buf.bytes());
    EXPECT_EQ(height, 2);
    EXPECT_EQ(repeats, p.storedLines);
    EXPECT_EQ(buf.at(0, 0, 1), 1099);
    EXPECT_EQ(buf.at(1, 1, 1), 1199);
    EXPECT_EQ(buf.at(1, 1, 2), 2001);
    EXPECT_EQ(buf.samples[2 * 2 * 3], kUnwritten);
}

TEST(LineRenderTiff, RepeatListStopsAtTheFirstMissingIndex) {
    CoordPattern p;
    p.overridesRepeats = true;
    p.storedLines = {{0, 5}, {2, 7}};
    BufferTiff buf(2, 10);
    int height = 10;
    Repeats repeats;
    p.run_body(0, 2, height, repeats, buf.bytes());
    EXPECT_EQ(height, 1);
    EXPECT_EQ(buf.at(0, 0, 1), 1005);
}

TEST(LineRenderTiff, RepeatListIsLookedUpByIndexNotPosition) {
    CoordPattern p;
    p.overridesRepeats = true;
    p.storedLines = {{1, 9}, {0, 4}, {0, 6}};
    BufferTiff buf(2, 10);
    int height = 10;
    Repeats repeats;
    p.run_body(0, 2, height, repeats, buf.bytes());
    EXPECT_EQ(height, 2);
    EXPECT_EQ(buf.at(0, 0, 1), 1004);  // the first pair with index 0
    EXPECT_EQ(buf.at(1, 0, 1), 1009);
}
