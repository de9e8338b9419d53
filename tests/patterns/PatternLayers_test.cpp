#include <gtest/gtest.h>

#include <cstdint>

#include "patterns/PatternWrapper.h"

namespace {

// The smallest concrete pattern: the layers do not depend on what it draws.
class BlankPattern : public PatternSpec {
public:
    void setup() override {}
    Pixel body(int, int) override { return Pixel(); }
};

// Stores a 32-bit word little-endian at a sample index of a layer.
void putWord(unsigned char* layer, int index, uint32_t word)
{
    unsigned char* at = layer + index * 4;
    at[0] = static_cast<unsigned char>(word);
    at[1] = static_cast<unsigned char>(word >> 8);
    at[2] = static_cast<unsigned char>(word >> 16);
    at[3] = static_cast<unsigned char>(word >> 24);
}

// A 30-bit RGB word with 10-bit channels.
uint32_t rgb30(uint32_t r, uint32_t g, uint32_t b)
{
    return (r << 20) | (g << 10) | b;
}

class LayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        pattern.width = 8;
        pattern.height = 4;
    }
    BlankPattern pattern;
};

TEST_F(LayerTest, NewLayerCountsTheLayersHeld)
{
    EXPECT_EQ(pattern.newLayer(), 1);
    EXPECT_EQ(pattern.newLayer(), 2);
    ASSERT_EQ(pattern.layers.size(), 2u);
    EXPECT_NE(pattern.layers[0], nullptr);
    EXPECT_NE(pattern.layers[0], pattern.layers[1]);
}

TEST_F(LayerTest, NewLayerHoldsOneWordPerSampleAndStartsBlack)
{
    pattern.newLayer();
    const int samples = pattern.width * pattern.height;
    for (int i = 0; i < samples; ++i) {
        EXPECT_EQ(pattern.getOverlay(0, 0, 0, i, pattern.width), 0u) << i;
    }
    // The last byte belongs to the layer (the sanitizer build checks the bound).
    pattern.layers[0][samples * 4 - 1] = 0xFF;
}

TEST_F(LayerTest, QuadrantLayerIsFourTimesLarger)
{
    pattern.quadrant = PatternGen::Quadrant_BottomLeft;
    pattern.newLayer();
    const int samples = pattern.width * pattern.height * 4;
    putWord(pattern.layers[0], samples - 1, rgb30(0, 1023, 0));
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, samples - 1, pattern.width), 0xFFC0u);
}

TEST_F(LayerTest, OverlayIsZeroWithoutThatLayer)
{
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 0, 8), 0u);
    EXPECT_EQ(pattern.getOverlay(5, 0, 0, 0, 8), 0u);
    pattern.newLayer();
    putWord(pattern.layers[0], 0, rgb30(1023, 1023, 1023));
    EXPECT_EQ(pattern.getOverlay(1, 0, 0, 0, 8), 0u);
    EXPECT_EQ(pattern.getOverlay(0xFFFFFFFFu, 0, 0, 0, 8), 0u);
}

TEST_F(LayerTest, OverlayIsZeroForANullLayer)
{
    pattern.layers.push_back(nullptr);
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 0, 8), 0u);
}

TEST_F(LayerTest, OverlayIsTheMiddleChannelInTheTopTenBits)
{
    pattern.newLayer();
    unsigned char* layer = pattern.layers[0];
    putWord(layer, 0, rgb30(1023, 1023, 1023));
    putWord(layer, 1, rgb30(0, 0, 0));
    putWord(layer, 2, rgb30(1023, 0, 1023));
    putWord(layer, 3, rgb30(0, 0x155, 0));
    putWord(layer, 4, rgb30(0, 1, 0));
    putWord(layer, 5, 0xC0000000u | rgb30(0, 0x200, 0));  // the two unused top bits are ignored
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 0, 8), 0xFFC0u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 1, 8), 0u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 2, 8), 0u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 3, 8), 0x5540u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 4, 8), 0x0040u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 5, 8), 0x8000u);
}

TEST_F(LayerTest, OverlayIsReadLittleEndian)
{
    pattern.newLayer();
    unsigned char* bytes = pattern.layers[0];
    bytes[0] = 0x00;
    bytes[1] = 0xFC;  // green bits 10..15
    bytes[2] = 0x0F;  // green bits 16..19
    bytes[3] = 0x00;
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 0, 8), 0xFFC0u);
    bytes[1] = 0x00;
    EXPECT_EQ(pattern.getOverlay(0, 0, 0, 0, 8), 0xF000u);
}

TEST_F(LayerTest, OverlayIndexIsColumnFromOriginPlusRowTimesRowLength)
{
    pattern.newLayer();
    const int rowLength = 8;
    const int marked = 5 + 2 * rowLength;
    putWord(pattern.layers[0], marked, rgb30(0, 1023, 0));
    // Centred coordinates: x = 1 with the origin at -4 is column 5.
    EXPECT_EQ(pattern.getOverlay(0, -4, 2, 1, rowLength), 0xFFC0u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 2, 5, rowLength), 0xFFC0u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 1, 5, rowLength), 0u);
    EXPECT_EQ(pattern.getOverlay(0, 0, 2, 4, rowLength), 0u);
    // With rows of 6 samples the same word is column 3 of row 3.
    EXPECT_EQ(pattern.getOverlay(0, 0, 3, 3, 6), 0xFFC0u);
}

}  // namespace
