// Helpers of the texture generator tests.
#include "texgen_test_support.h"

#include <cstring>

void PrepareLayers(TextureGenerator& generator, int32_t width, int32_t height) {
    generator.ResetLayers(nullptr, width, height, false);
}

Rgb PixelAt(const TextureGenerator& generator, uint8_t layer, int32_t x, int32_t y) {
    const TexturePixel& p = generator.LayerPixels(layer)[y * generator.Width() + x];
    return {p.c[0], p.c[1], p.c[2]};
}

void SetPixel(TextureGenerator& generator, uint8_t layer, int32_t x, int32_t y, Rgb value) {
    TexturePixel& p = generator.LayerPixels(layer)[y * generator.Width() + x];
    p.c[0] = static_cast<uint8_t>(value.r);
    p.c[1] = static_cast<uint8_t>(value.g);
    p.c[2] = static_cast<uint8_t>(value.b);
}

void FillPattern(TextureGenerator& generator, uint8_t layer, uint32_t salt) {
    TexturePixel* pixels = generator.LayerPixels(layer);
    uint32_t state = salt * 2654435761u + 1;
    for (int32_t i = 0; i < generator.Width() * generator.Height(); ++i) {
        for (int c = 0; c < 4; ++c) {
            state = state * 1664525u + 1013904223u;
            pixels[i].c[c] = static_cast<uint8_t>(state >> 24);
        }
    }
}

std::vector<uint8_t> ChannelBytes(const TextureGenerator& generator, uint8_t layer) {
    std::vector<uint8_t> bytes;
    const TexturePixel* pixels = generator.LayerPixels(layer);
    for (int32_t i = 0; i < generator.Width() * generator.Height(); ++i) {
        bytes.insert(bytes.end(), pixels[i].c, pixels[i].c + 3);
    }
    return bytes;
}

std::vector<uint8_t> AllBytes(const TextureGenerator& generator, uint8_t layer) {
    const TexturePixel* pixels = generator.LayerPixels(layer);
    const size_t size = static_cast<size_t>(generator.Width()) * generator.Height() * 4;
    std::vector<uint8_t> bytes(size);
    std::memcpy(bytes.data(), pixels, size);
    return bytes;
}
