#include <cstddef>
#include <cstdint>

#include "patterns/PatternWrapper.h"

namespace {

// A layer sample is one 32-bit word: Cairo's 30-bit RGB, 10 bits per channel.
constexpr std::size_t kBytesPerLayerSample = 4;

// In quadrant mode a layer holds the whole picture at twice the output size.
constexpr std::size_t kQuadrantLayerScale = 4;

// The middle (green) channel of a 30-bit RGB word, moved to the top ten bits
// of a 16-bit level.
constexpr unsigned kMiddleChannelShift = 4;
constexpr uint32_t kTopTenBits = 0xFFC0;

}  // namespace

std::size_t PatternSpec::layerSamples() const
{
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return quadrant != PatternGen::Quadrant_None ? samples * kQuadrantLayerScale : samples;
}

int PatternSpec::newLayer()
{
    const std::size_t bytes = layerSamples() * kBytesPerLayerSample;
    // Cleared so that a layer never read back before the text is drawn holds black.
    layers.push_back(new unsigned char[bytes]());
    return static_cast<int>(layers.size());
}

uint32_t PatternSpec::getOverlay(unsigned layer, int xOrigin, int y, int x, int rowLength)
{
    if (layer >= layers.size() || layers[layer] == nullptr) {
        return 0;
    }
    const std::ptrdiff_t index = static_cast<std::ptrdiff_t>(x - xOrigin) + static_cast<std::ptrdiff_t>(y) * rowLength;
    const unsigned char* bytes = layers[layer] + index * static_cast<std::ptrdiff_t>(kBytesPerLayerSample);
    // Read little-endian whatever the host, as the layer's bytes are laid out.
    const uint32_t word = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                          (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return (word >> kMiddleChannelShift) & kTopTenBits;
}
