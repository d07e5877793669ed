// Preparing, clearing, filling and exporting the generator's six layers. The layer memory is
// allocated once and reused for every texture; only the output buffer is made per texture.
#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "texgen/texture_generator.h"

namespace {

bool IsPowerOfTwo(int32_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

} // namespace

void TextureGenerator::ResetLayers(uint8_t** outBuffer, int32_t newWidth, int32_t newHeight,
                                   bool allocateOutput) {
    if (allocateOutput) {
        *outBuffer = static_cast<uint8_t*>(
            std::calloc(static_cast<size_t>(newWidth) * newHeight, sizeof(TexturePixel)));
    }
    if (layers != nullptr && newWidth == width && newHeight == height) {
        for (int i = 0; i < LayerCount; ++i) {
            std::memset(layers[i], 0, static_cast<size_t>(width) * height * sizeof(TexturePixel));
        }
        return;
    }
    ReleaseLayers();
    AllocateLayers(newWidth, newHeight);
}

void TextureGenerator::AllocateLayers(int32_t newWidth, int32_t newHeight) {
    if (layers != nullptr && width > 0 && height > 0) {
        return;
    }
    assert(IsPowerOfTwo(newWidth) && IsPowerOfTwo(newHeight) &&
           "layer sizes must be powers of two for the wrap-around masks");
    if (!IsPowerOfTwo(newWidth) || !IsPowerOfTwo(newHeight)) {
        return;
    }
    const size_t pixels = static_cast<size_t>(newWidth) * newHeight;
    layers = static_cast<TexturePixel**>(std::calloc(LayerCount, sizeof(TexturePixel*)));
    if (layers == nullptr) {
        return;
    }
    for (int i = 0; i < LayerCount; ++i) {
        layers[i] = static_cast<TexturePixel*>(std::calloc(pixels, sizeof(TexturePixel)));
        if (layers[i] == nullptr) {
            // Out of memory: give back what was made and stay without layers.
            for (int j = 0; j < i; ++j) {
                std::free(layers[j]);
            }
            std::free(layers);
            layers = nullptr;
            return;
        }
    }
    width = newWidth;
    height = newHeight;
    widthMask = newWidth - 1;
    heightMask = newHeight - 1;
}

void TextureGenerator::ReleaseLayers() {
    if (width >= 0 && height >= 0 && layers != nullptr) {
        for (int i = 0; i < LayerCount; ++i) {
            std::free(layers[i]);
        }
        std::free(layers);
    }
    layers = nullptr;
    width = -1;
    height = -1;
    widthMask = -2;
    heightMask = -2;
}

void TextureGenerator::Fill(uint8_t layer, uint8_t r, uint8_t g, uint8_t b) {
    TexturePixel* pixels = Layer(layer);
    const TexturePixel value{{r, g, b, 0}};
    for (int32_t i = 0, count = width * height; i < count; ++i) {
        pixels[i] = value;
    }
}

void TextureGenerator::ExportRgba(uint8_t* outBuffer, int32_t outWidth, int32_t outHeight) const {
    assert(outWidth == width && outHeight == height && "export at the generator's own size");
    const int32_t count = std::min(outWidth * outHeight, width * height);
    std::memcpy(outBuffer, Layer(OutputLayer), static_cast<size_t>(count) * sizeof(TexturePixel));
    for (int32_t i = 0; i < count; ++i) {
        outBuffer[i * 4 + 3] = 255;
    }
}
