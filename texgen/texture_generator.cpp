// The shared generator instance, its random sequence and the layer addressing that every
// operation uses (wrap-around by masks, the ScratchLayer copy).
#include "texgen/texture_generator.h"

#include <cassert>
#include <cstring>

TextureGenerator& GetTextureGenerator() {
    // Deliberately leaked: the layers live until the process ends.
    static TextureGenerator* generator = new TextureGenerator();
    return *generator;
}

TextureGenerator::~TextureGenerator() {
    ReleaseLayers();
}

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

void TextureGenerator::CopyToScratch(uint8_t src) {
    assert(src != ScratchLayer && "the ScratchLayer cannot be the source of a filter");
    std::memcpy(Layer(ScratchLayer), Layer(src),
                static_cast<size_t>(width) * height * sizeof(TexturePixel));
}
