#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "patterns/PatternTestPattern.h"

// Stores a layer word, 2 spare bits then 10 each of red, green and blue, at a sample index.
static void put(unsigned char* layer, int index, uint32_t word)
{
    std::memcpy(layer + 4 * index, &word, 4);
}

TEST(PatternLayers, LayersAreCountedSizedAndReadAsTheirMiddleChannel)
{
    TestPattern p;
    p.width = 8, p.height = 4;
    EXPECT_EQ(p.newLayer(), 1);
    p.quadrant = PatternGen::Quadrant_BottomLeft;  // four times the canvas; the sanitizer build checks the bound
    EXPECT_EQ(p.newLayer(), 2);
    put(p.layers[1], 8 * 4 * 4 - 1, 0x3FFu << 10);
    EXPECT_EQ(p.getOverlay(1, 0, 0, 8 * 4 * 4 - 1, 8), 0xFFC0u);
    EXPECT_EQ(p.getOverlay(2, 0, 0, 0, 8), 0u);  // no such layer

    put(p.layers[0], 1, 0x155u << 10);
    put(p.layers[0], 2, 0xFFF803FFu);  // green 0x200: red, blue and the spare bits are not read
    put(p.layers[0], 5 + 2 * 8, 1u << 10);
    EXPECT_EQ(p.getOverlay(0, 0, 0, 1, 8), 0x5540u);
    EXPECT_EQ(p.getOverlay(0, 0, 0, 2, 8), 0x8000u);
    EXPECT_EQ(p.getOverlay(0, -4, 2, 1, 8), 0x40u);  // index (x - xOrigin) + y * rowLength
}
