// Per-pixel filters and two-layer combiners. Each reads a pixel before writing the same index,
// so the destination may be one of the sources. Only Invert touches the spare byte.
#include <algorithm>
#include <cstdint>

#include "texgen/texture_generator.h"

namespace {

// Above 255 becomes 255, anything not at least 0 (NaN included) becomes 0, else truncation.
uint8_t ClampChannel(float v) {
    if (v > 255.0f) {
        return 255;
    }
    if (!(v >= 0.0f)) {
        return 0;
    }
    return static_cast<uint8_t>(static_cast<int32_t>(v));
}

// 1/255 rounded to single precision (0.003921568859...).
constexpr float InverseOf255 = 1.0f / 255.0f;

} // namespace

void TextureGenerator::ScaleChannels(uint8_t src, uint8_t dst, float fr, float fg, float fb) {
    const TexturePixel* in = Layer(src);
    TexturePixel* out = Layer(dst);
    const float factors[3] = {fr, fg, fb};
    for (int32_t p = 0, count = width * height; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            const float v = static_cast<float>(in[p].c[c]) * factors[c];
            out[p].c[c] = v >= 255.0f ? 255
                          : v > 0.0f  ? static_cast<uint8_t>(static_cast<int32_t>(v))
                                      : 0;
        }
    }
}

void TextureGenerator::Equalize(uint8_t src, uint8_t dst) {
    const TexturePixel* in = Layer(src);
    TexturePixel* out = Layer(dst);
    const int32_t count = width * height;
    uint32_t histogram[3][256] = {};
    for (int32_t p = 0; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            ++histogram[c][in[p].c[c]];
        }
    }
    // The running sum is exact in double for power-of-two sizes, so map[v] is the floor of
    // 255 x (pixels at or below v) / count.
    const double share = 255.0 / static_cast<double>(count);
    uint8_t map[3][256];
    for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int v = 0; v < 256; ++v) {
            sum += histogram[c][v] * share;
            map[c][v] = static_cast<uint8_t>(static_cast<int32_t>(sum));
        }
    }
    for (int32_t p = 0; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            out[p].c[c] = map[c][in[p].c[c]];
        }
    }
}

void TextureGenerator::Invert(uint8_t src, uint8_t dst) {
    const TexturePixel* in = Layer(src);
    TexturePixel* out = Layer(dst);
    for (int32_t p = 0, count = width * height; p < count; ++p) {
        for (int c = 0; c < 4; ++c) {
            out[p].c[c] = static_cast<uint8_t>(~in[p].c[c]);
        }
    }
}

void TextureGenerator::Mix(uint8_t a, uint8_t b, uint8_t dst, float wa, float wb) {
    const TexturePixel* pa = Layer(a);
    const TexturePixel* pb = Layer(b);
    TexturePixel* out = Layer(dst);
    for (int32_t p = 0, count = width * height; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            const float v =
                static_cast<float>(pa[p].c[c]) * wa + static_cast<float>(pb[p].c[c]) * wb;
            out[p].c[c] = ClampChannel(v);
        }
    }
}

void TextureGenerator::Multiply(uint8_t a, uint8_t b, uint8_t dst, float wa, float wb) {
    const TexturePixel* pa = Layer(a);
    const TexturePixel* pb = Layer(b);
    TexturePixel* out = Layer(dst);
    const float k = wa * wb * InverseOf255;
    for (int32_t p = 0, count = width * height; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            // The channel product is an integer (at most 65025, exact in float) before scaling.
            const int32_t product = pa[p].c[c] * pb[p].c[c];
            out[p].c[c] = ClampChannel(static_cast<float>(product) * k);
        }
    }
}

void TextureGenerator::Maximum(uint8_t a, uint8_t b, uint8_t dst, float, float) {
    const TexturePixel* pa = Layer(a);
    const TexturePixel* pb = Layer(b);
    TexturePixel* out = Layer(dst);
    for (int32_t p = 0, count = width * height; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            out[p].c[c] = std::max(pa[p].c[c], pb[p].c[c]);
        }
    }
}

void TextureGenerator::Minimum(uint8_t a, uint8_t b, uint8_t dst, float, float) {
    const TexturePixel* pa = Layer(a);
    const TexturePixel* pb = Layer(b);
    TexturePixel* out = Layer(dst);
    for (int32_t p = 0, count = width * height; p < count; ++p) {
        for (int c = 0; c < 3; ++c) {
            out[p].c[c] = std::min(pa[p].c[c], pb[p].c[c]);
        }
    }
}
