// Helpers of the texture generator tests: small generators, pixel access, layer comparison.
#pragma once

#include <cstdint>
#include <vector>

#include "texgen/texture_generator.h"

// Channels 0..2 of pixel (x, y) of a layer.
struct Rgb {
    int r;
    int g;
    int b;
    bool operator==(const Rgb&) const = default;
};

// Makes layers of the given size in the generator (all zero).
void PrepareLayers(TextureGenerator& generator, int32_t width, int32_t height);

Rgb PixelAt(const TextureGenerator& generator, uint8_t layer, int32_t x, int32_t y);
void SetPixel(TextureGenerator& generator, uint8_t layer, int32_t x, int32_t y, Rgb value);

// Fills a layer with a fixed pseudo-random pattern (independent of the generator's seed);
// spare bytes get their own values too.
void FillPattern(TextureGenerator& generator, uint8_t layer, uint32_t salt);

// Channels 0..2 of every pixel, row-major, 3 bytes each.
std::vector<uint8_t> ChannelBytes(const TextureGenerator& generator, uint8_t layer);
// All 4 bytes of every pixel.
std::vector<uint8_t> AllBytes(const TextureGenerator& generator, uint8_t layer);
