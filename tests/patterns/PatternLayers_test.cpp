#include <gtest/gtest.h>

#include <cstdint>

#include "patterns/PatternTestPattern.h"

// Stores a word little-endian at a sample index: 30-bit RGB, 10 bits a channel, 2 spare.
static void putRgb30(unsigned char* layer, int index, uint32_t r, uint32_t g, uint32_t b, uint32_t spare = 0) {
    const uint32_t word = (spare << 30) | (r << 20) | (g << 10) | b;
    for (int i = 0; i < 4; ++i) layer[index * 4 + i] = static_cast<unsigned char>(word >> (8 * i));
}

TEST(PatternLayers, LayersAreCountedSizedAndReadAsTheirMiddleChannel) {
    TestPattern p;
    p.width = 8;
    p.height = 4;
    EXPECT_EQ(p.getOverlay(0, 0, 0, 0, 8), 0u);  // no layer yet
    EXPECT_EQ(p.newLayer(), 1);
    p.quadrant = PatternGen::Quadrant_BottomLeft;  // four times the canvas; the sanitizer build checks the bound
    EXPECT_EQ(p.newLayer(), 2);
    putRgb30(p.layers[1], 8 * 4 * 4 - 1, 0, 1023, 0);
    EXPECT_EQ(p.getOverlay(1, 0, 0, 8 * 4 * 4 - 1, 8), 0xFFC0u);
    p.layers.push_back(nullptr);
    EXPECT_EQ(p.getOverlay(2, 0, 0, 0, 8), 0u);
    EXPECT_EQ(p.getOverlay(3, 0, 0, 0, 8), 0u);

    putRgb30(p.layers[0], 0, 1023, 0, 1023);
    putRgb30(p.layers[0], 1, 0, 0x155, 0);
    putRgb30(p.layers[0], 2, 0, 0x200, 0, 3);
    putRgb30(p.layers[0], 5 + 2 * 8, 0, 1, 0);
    EXPECT_EQ(p.getOverlay(0, 0, 0, 0, 8), 0u);
    EXPECT_EQ(p.getOverlay(0, 0, 0, 1, 8), 0x5540u);
    EXPECT_EQ(p.getOverlay(0, 0, 0, 2, 8), 0x8000u);
    EXPECT_EQ(p.getOverlay(0, -4, 2, 1, 8), 0x40u);  // index (x - xOrigin) + y * rowLength
    EXPECT_EQ(p.getOverlay(0, 0, 3, 3, 6), 0x40u);
    EXPECT_EQ(p.getOverlay(0, 0, 2, 4, 8), 0u);
}
