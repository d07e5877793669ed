// Cosine interpolation arithmetic shared by the noise sources and the geometric filters.
// Internal to kf_texgen: every path that blends pixels goes through these few lines, so the
// literal per-pixel evaluation and the table-driven one give the same bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

#include "texgen/texture_generator.h"

// u = (1 - cos(pi x f)) / 2: pi x f and the cosine in double, rounded once to float.
inline float CosineWeight(float fraction) {
    return static_cast<float>((1.0 - std::cos(std::numbers::pi * static_cast<double>(fraction))) /
                              2.0);
}

// The four corner weights of a blend, each product rounded to float.
struct BlendWeights {
    float w00;
    float w10;
    float w01;
    float w11;
};

inline BlendWeights MakeBlendWeights(float u, float v) {
    const float iu = 1.0f - u;
    const float iv = 1.0f - v;
    return {iu * iv, u * iv, iu * v, u * v};
}

// One channel of a blend, summed in float in the order p11, p01, p10, p00 and truncated.
// The weights are non-negative and sum to at most a hair above 1, so the sum stays below 256.
inline uint8_t BlendChannel(float p00, float p10, float p01, float p11, const BlendWeights& w) {
    const float sum = p11 * w.w11 + p01 * w.w01 + p10 * w.w10 + p00 * w.w00;
    return static_cast<uint8_t>(static_cast<int32_t>(sum));
}

inline TexturePixel BlendPixel(const CornerBlock& block, const BlendWeights& w) {
    TexturePixel out{};
    for (int c = 0; c < 3; ++c) {
        out.c[c] = BlendChannel(block.p00.c[c], block.p10.c[c], block.p01.c[c], block.p11.c[c], w);
    }
    return out;
}

// CosineWeight by a short polynomial, falling back to the cosine itself where the result lies
// too close to a float rounding boundary to be sure: always the same float as CosineWeight.
float QuickCosineWeight(float fraction);

// Memo of CosineWeight for the arbitrary fractions of Displace and Twirl, keyed by the exact
// bits of the fraction (direct-mapped; a collision only costs a recomputation).
struct CosineWeightMemo {
    static constexpr int Bits = 12;
    static constexpr uint32_t Empty = 0xFFFFFFFFu; // a NaN pattern, never a fraction
    uint32_t keys[1 << Bits];
    float values[1 << Bits];
};

void ClearCosineWeightMemo(CosineWeightMemo& memo);
float MemoCosineWeight(CosineWeightMemo& memo, float fraction);
