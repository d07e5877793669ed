// Neighbourhood and geometric filters. Each first copies its source into the ScratchLayer and
// reads only that copy, so source and destination may be the same layer.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "texgen/blend_weights.h"
#include "texgen/texture_generator.h"

namespace {

// Weights of the left, centre and right columns, each listed from top to bottom.
constexpr float SharpenKernel[9] = {-0.125f, -0.25f,  -0.125f, -0.25f, 2.5f,
                                    -0.25f,  -0.125f, -0.25f,  -0.125f};

// Rotation of one Twirl radius: cosine and sine of its angle, and whether it lies inside.
struct TwirlRotation {
    float c;
    float s;
    bool inside;
    bool known;
};

// r = sqrt(dx^2 + dy^2) and d = cx - r in float; inside the circle (d > 0) the angle is
// ((d x d) x f) x strength in float, its cosine and sine in double rounded to float.
TwirlRotation RotationFor(int32_t squared, int32_t cx, float f, float strength) {
    const float r = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    const float d = static_cast<float>(cx) - r;
    TwirlRotation rotation{0.0f, 0.0f, d > 0.0f, true};
    if (rotation.inside) {
        const float angle = d * d * f * strength;
        rotation.c = static_cast<float>(std::cos(static_cast<double>(angle)));
        rotation.s = static_cast<float>(std::sin(static_cast<double>(angle)));
    }
    return rotation;
}

TwirlRotation CachedRotation(std::vector<TwirlRotation>& table, int32_t squared, int32_t cx,
                             float f, float strength) {
    if (squared < 0 || static_cast<size_t>(squared) >= table.size()) {
        return RotationFor(squared, cx, f, strength);
    }
    if (!table[squared].known) {
        table[squared] = RotationFor(squared, cx, f, strength);
    }
    return table[squared];
}

// One channel of a row as floats with the wrapped neighbour columns on both sides: entry
// x + 1 is column x, entry 0 is the last column and entry width + 1 is column 0.
void LoadPaddedRow(const TexturePixel* row, int32_t width, int c, float* padded) {
    padded[0] = row[width - 1].c[c];
    for (int32_t x = 0; x < width; ++x) {
        padded[x + 1] = row[x].c[c];
    }
    padded[width + 1] = row[0].c[c];
}

// The 3x3 sums of one channel along a row, from the padded rows above, at and below it. Each
// sum runs over the row offsets -1, 0, +1 and within each the column offsets -1, 0, +1: the
// order of the float additions is part of the result.
void ConvolveRowChannel(const float* rows, size_t padded, const float kernel[9], bool absolute,
                        int32_t width, float* sums) {
    const float* up = rows;
    const float* mid = rows + padded;
    const float* down = rows + 2 * padded;
    const float k0 = kernel[0], k1 = kernel[1], k2 = kernel[2], k3 = kernel[3], k4 = kernel[4];
    const float k5 = kernel[5], k6 = kernel[6], k7 = kernel[7], k8 = kernel[8];
    for (int32_t x = 0; x < width; ++x) {
        float sum = 0.0f;
        sum += k0 * up[x];
        sum += k3 * up[x + 1];
        sum += k6 * up[x + 2];
        sum += k1 * mid[x];
        sum += k4 * mid[x + 1];
        sum += k7 * mid[x + 2];
        sum += k2 * down[x];
        sum += k5 * down[x + 1];
        sum += k8 * down[x + 2];
        sums[x] = absolute ? std::fabs(sum) : sum;
    }
}

} // namespace

void TextureGenerator::Convolve3x3(uint8_t src, uint8_t dst, bool absolute, const float kernel[9]) {
    CopyToScratch(src);
    const TexturePixel* copy = Layer(ScratchLayer);
    TexturePixel* out = Layer(dst);
    const size_t padded = static_cast<size_t>(width) + 2;
    std::vector<float> rows(3 * padded);
    std::vector<float> sums(width);
    for (int32_t y = 0; y < height; ++y) {
        const TexturePixel* sources[3] = {copy + ((y - 1) & heightMask) * width, copy + y * width,
                                          copy + ((y + 1) & heightMask) * width};
        for (int c = 0; c < 3; ++c) {
            for (int r = 0; r < 3; ++r) {
                LoadPaddedRow(sources[r], width, c, rows.data() + r * padded);
            }
            ConvolveRowChannel(rows.data(), padded, kernel, absolute, width, sums.data());
            TexturePixel* line = out + y * width;
            for (int32_t x = 0; x < width; ++x) {
                const float sum = sums[x];
                line[x].c[c] = sum < 0.0f ? 0 : sum > 255.0f ? 255 : static_cast<uint8_t>(sum);
            }
        }
    }
}

void TextureGenerator::Sharpen(uint8_t src, uint8_t dst) {
    Convolve3x3(src, dst, false, SharpenKernel);
}

void TextureGenerator::Jitter(uint8_t src, uint8_t dst, uint32_t seedArg, int32_t strength) {
    assert(strength >= 0 && strength <= 16 && "Jitter strength must lie in 0..16");
    CopyToScratch(src);
    const TexturePixel* copy = Layer(ScratchLayer);
    TexturePixel* out = Layer(dst);
    seed = seedArg;
    const int32_t shift = 16 - std::clamp(strength, 0, 16);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            // NextRandom never exceeds 32767, so both offsets are 0 or negative.
            const int32_t ox = (NextRandom() - 32767) >> shift;
            const int32_t oy = (NextRandom() - 32767) >> shift;
            out[y * width + x] = At(copy, x + ox, y + oy);
        }
    }
}

void TextureGenerator::Shift(uint8_t src, uint8_t dst, int32_t dx, int32_t dy) {
    CopyToScratch(src);
    const TexturePixel* copy = Layer(ScratchLayer);
    TexturePixel* out = Layer(dst);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            out[y * width + x] = At(copy, x + dx, y + dy);
        }
    }
}

void TextureGenerator::Displace(uint8_t src, uint8_t map, uint8_t dst, float kx, float ky) {
    assert(map != ScratchLayer && "the ScratchLayer cannot serve as a displacement map");
    CopyToScratch(src);
    const TexturePixel* mapPixels = Layer(map);
    const TexturePixel* copy = Layer(ScratchLayer);
    TexturePixel* out = Layer(dst);
    CosineWeightMemo memo;
    ClearCosineWeightMemo(memo);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const TexturePixel& m = mapPixels[y * width + x];
            const float strength = std::max({m.c[0], m.c[1], m.c[2]});
            // Two roundings per coordinate: the product, then the sum.
            const float sx = strength * kx + static_cast<float>(x);
            const float sy = strength * ky + static_cast<float>(y);
            if (literal) {
                out[y * width + x] = SampleLayer(ScratchLayer, sx, sy);
                continue;
            }
            const int32_t ix = static_cast<int32_t>(sx);
            const int32_t iy = static_cast<int32_t>(sy);
            const CornerBlock block{At(copy, ix, iy), At(copy, ix + 1, iy), At(copy, ix, iy + 1),
                                    At(copy, ix + 1, iy + 1)};
            // sx - ix is exactly the fmod remainder SampleLayer takes, sign included.
            const float u = MemoCosineWeight(memo, sx - static_cast<float>(ix));
            const float v = MemoCosineWeight(memo, sy - static_cast<float>(iy));
            out[y * width + x] = BlendPixel(block, MakeBlendWeights(u, v));
        }
    }
}

void TextureGenerator::Twirl(uint8_t src, uint8_t dst, float strength, float divisor) {
    CopyToScratch(src);
    const TexturePixel* copy = Layer(ScratchLayer);
    TexturePixel* out = Layer(dst);
    const float root = static_cast<float>(std::sqrt(2.0 * width * height));
    const float f = 1.0f / (divisor * root);
    const int32_t cx = width / 2;
    const int32_t cy = height / 2;
    // The rotation depends only on dx^2 + dy^2, which repeats all over the circle.
    std::vector<TwirlRotation> rotations(static_cast<size_t>(cx) * cx + 1, TwirlRotation{});
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t dx = x - cx;
            const int32_t dy = y - cy;
            const int32_t squared = dx * dx + dy * dy;
            const TwirlRotation rotation =
                literal ? RotationFor(squared, cx, f, strength)
                        : CachedRotation(rotations, squared, cx, f, strength);
            float sx = static_cast<float>(x);
            float sy = static_cast<float>(y);
            if (rotation.inside) {
                const float fdx = static_cast<float>(dx);
                const float fdy = static_cast<float>(dy);
                sx = rotation.c * fdx - rotation.s * fdy + static_cast<float>(cx);
                sy = rotation.s * fdx + rotation.c * fdy + static_cast<float>(cy);
            }
            const int32_t ix = static_cast<int32_t>(sx);
            const int32_t iy = static_cast<int32_t>(sy);
            const CornerBlock block{At(copy, ix, iy), At(copy, ix + 1, iy), At(copy, ix, iy + 1),
                                    At(copy, ix + 1, iy + 1)};
            const float fx = sx - static_cast<float>(ix);
            const float fy = sy - static_cast<float>(iy);
            out[y * width + x] = literal
                                     ? CosineBlend(block, fx, fy)
                                     : BlendPixel(block, MakeBlendWeights(QuickCosineWeight(fx),
                                                                          QuickCosineWeight(fy)));
        }
    }
}
