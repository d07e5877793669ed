// Cosine interpolation, layer sampling, fractal clouds and the radial spot: the generator's
// sources of pattern besides lattice value noise (value_noise.cpp).
#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>

#include "texgen/blend_weights.h"
#include "texgen/texture_generator.h"

namespace {

// sum.c = min(sum.c + octave.c, 255) for channels 0..2; the spare byte of sum is kept.
// Four bytes at a time in one word (per-byte saturating add without carries between bytes),
// which the compiler turns into wide vector code.
void AddSaturated(TexturePixel* sum, const TexturePixel* octave, int32_t count) {
    constexpr uint32_t Keep =
        std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;
    for (int32_t p = 0; p < count; ++p) {
        uint32_t a;
        uint32_t b;
        std::memcpy(&a, &sum[p], sizeof a);
        std::memcpy(&b, &octave[p], sizeof b);
        b &= Keep;
        const uint32_t low = (a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu); // bytes without bit 7
        const uint32_t differ = a ^ b;
        uint32_t total = low ^ (differ & 0x80808080u);
        const uint32_t overflow = ((a & b) | (low & differ)) & 0x80808080u;
        total |= (overflow >> 7) * 0xFFu; // saturate the bytes that carried out
        std::memcpy(&sum[p], &total, sizeof total);
    }
}

} // namespace

TexturePixel TextureGenerator::CosineBlend(const CornerBlock& block, float fx, float fy) const {
    return BlendPixel(block, MakeBlendWeights(CosineWeight(fx), CosineWeight(fy)));
}

TexturePixel TextureGenerator::SampleLayer(uint8_t layer, float x, float y) const {
    const TexturePixel* pixels = Layer(layer);
    const int32_t ix = static_cast<int32_t>(x);
    const int32_t iy = static_cast<int32_t>(y);
    const CornerBlock block{At(pixels, ix, iy), At(pixels, ix + 1, iy), At(pixels, ix, iy + 1),
                            At(pixels, ix + 1, iy + 1)};
    return CosineBlend(block, std::fmod(x, 1.0f), std::fmod(y, 1.0f));
}

void TextureGenerator::FractalNoise(uint8_t layer, int32_t step, int32_t seedArg, int32_t amplitude,
                                    int32_t persistence, int32_t octaves, bool coloured) {
    assert(layer != ScratchLayer && "FractalNoise builds its octaves in the ScratchLayer");
    // Amplitude 1 is mask 0: this pass only zeroes the layer and positions the sequence.
    ValueNoise(layer, step, seedArg, 1, coloured);
    TexturePixel* sum = Layer(layer);
    const TexturePixel* octave = Layer(ScratchLayer);
    for (int32_t i = 0; i < octaves - 2; ++i) {
        amplitude = static_cast<int32_t>((static_cast<int64_t>(amplitude) * persistence) >> 8);
        if (amplitude <= 0) {
            return;
        }
        step >>= 1;
        if (step <= 0) {
            return;
        }
        ValueNoise(ScratchLayer, step, 0, amplitude, coloured);
        AddSaturated(sum, octave, width * height);
    }
}

void TextureGenerator::RadialSpot(uint8_t layer, float scale) {
    TexturePixel* pixels = Layer(layer);
    const float k = scale * 180.0f;
    const float halfWidth = static_cast<float>(width >> 1);
    const float halfHeight = static_cast<float>(height >> 1);
    for (int32_t y = 0; y < height; ++y) {
        const float dy = static_cast<float>(y) / halfHeight - 1.0f;
        const float dy2 = dy * dy;
        for (int32_t x = 0; x < width; ++x) {
            const float dx = static_cast<float>(x) / halfWidth - 1.0f;
            const float distance =
                static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy2)));
            const float value = 255.0f - k * distance;
            const uint8_t v = value >= 255.0f ? 255
                              : value > 0.0f  ? static_cast<uint8_t>(static_cast<int32_t>(value))
                                              : 0;
            TexturePixel& p = pixels[y * width + x];
            p.c[0] = v;
            p.c[1] = v;
            p.c[2] = v;
        }
    }
}
