// The shared generator instance, its random sequence and the layer addressing that every
// operation uses (wrap-around by masks, the ScratchLayer copy).
#include "texgen/texture_generator.h"

#include <cassert>
#include <cstring>

#include "texgen/blend_weights.h"

TextureGenerator& GetTextureGenerator() {
    // Deliberately leaked: the layers live until the process ends.
    static TextureGenerator* generator = new TextureGenerator();
    return *generator;
}

TextureGenerator::~TextureGenerator() { ReleaseLayers(); }

int32_t TextureGenerator::NextRandom() {
    seed *= 22695477u;
    // C++20 defines >> on negative values as an arithmetic shift.
    return static_cast<int32_t>(seed) >> 16;
}

TexturePixel* TextureGenerator::Layer(uint8_t layer) const {
    assert(layer < LayerCount && "layer numbers are 0..5");
    assert(layers != nullptr && "call ResetLayers before any generator operation");
    return layers[layer];
}

const TexturePixel& TextureGenerator::At(const TexturePixel* pixels, int32_t x, int32_t y) const {
    return pixels[(y & heightMask) * width + (x & widthMask)];
}

void TextureGenerator::CopyToScratch(uint8_t src) {
    assert(src != ScratchLayer && "the ScratchLayer cannot be the source of a filter");
    std::memcpy(Layer(ScratchLayer), Layer(src),
                static_cast<size_t>(width) * height * sizeof(TexturePixel));
}

void ClearCosineWeightMemo(CosineWeightMemo& memo) {
    for (uint32_t& key : memo.keys) {
        key = CosineWeightMemo::Empty;
    }
}

float MemoCosineWeight(CosineWeightMemo& memo, float fraction) {
    uint32_t bits;
    std::memcpy(&bits, &fraction, sizeof bits);
    const uint32_t slot = (bits * 2654435761u) >> (32 - CosineWeightMemo::Bits);
    if (memo.keys[slot] != bits) {
        memo.keys[slot] = bits;
        memo.values[slot] = CosineWeight(fraction);
    }
    return memo.values[slot];
}
