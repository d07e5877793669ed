// Lattice value noise: random values at every step-th pixel, cosine-blended across each cell.
// The tabled interpolation takes the weights of the repeating fractions j / step from a table
// and gives exactly the bits of the literal per-pixel evaluation.
#include <cassert>
#include <cstring>
#include <vector>

#include "texgen/blend_weights.h"
#include "texgen/texture_generator.h"

namespace {

// Cosine weights of the fractions j x (1 / step), j = 0..step-1, and their complements.
struct FractionTable {
    std::vector<float> u;
    std::vector<float> iu;
};

FractionTable MakeFractionTable(int32_t step) {
    const float inv = 1.0f / static_cast<float>(step);
    FractionTable table{std::vector<float>(step), std::vector<float>(step)};
    for (int32_t j = 0; j < step; ++j) {
        table.u[j] = CosineWeight(static_cast<float>(j) * inv);
        table.iu[j] = 1.0f - table.u[j];
    }
    return table;
}

bool IsGrey(const TexturePixel& p) { return p.c[0] == p.c[1] && p.c[1] == p.c[2]; }

// One row of a cell whose corners are grey: one channel computed, copied to all three.
void BlendGreyRow(TexturePixel* row, int32_t step, const FractionTable& t, float v,
                  const CornerBlock& b) {
    const float p00 = b.p00.c[0], p10 = b.p10.c[0], p01 = b.p01.c[0], p11 = b.p11.c[0];
    const float iv = 1.0f - v;
    for (int32_t j = 0; j < step; ++j) {
        const BlendWeights w{t.iu[j] * iv, t.u[j] * iv, t.iu[j] * v, t.u[j] * v};
        const uint32_t value = BlendChannel(p00, p10, p01, p11, w);
        const uint32_t packed = value * 0x010101u; // same bytes R, G, B, spare 0 either endian
        std::memcpy(&row[j], &packed, sizeof packed);
    }
}

void BlendColourRow(TexturePixel* row, int32_t step, const FractionTable& t, float v,
                    const CornerBlock& b) {
    const float iv = 1.0f - v;
    for (int32_t j = 0; j < step; ++j) {
        const BlendWeights w{t.iu[j] * iv, t.u[j] * iv, t.iu[j] * v, t.u[j] * v};
        row[j] = BlendPixel(b, w);
    }
}

} // namespace

void TextureGenerator::ValueNoise(uint8_t layer, int32_t step, int32_t seedArg,
                                  int32_t amplitude, bool coloured) {
    // The step is checked before the lattice loop, which would never end for a step below 1;
    // a step that does not divide the size would write cells past the layer.
    assert(step >= 1 && width % step == 0 && height % step == 0 &&
           "ValueNoise needs a step of at least 1 that divides the layer size");
    if (step < 1 || width % step != 0 || height % step != 0) {
        return;
    }
    TexturePixel* pixels = Layer(layer);
    if (seedArg != 0) {
        seed = static_cast<uint32_t>(seedArg);
    }
    const uint8_t mask = static_cast<uint8_t>(amplitude - 1);
    DrawLattice(pixels, step, mask, coloured);
    if (literal) {
        InterpolateCellsLiteral(pixels, step);
    } else if (mask == 0) {
        // Every lattice value is 0, so every blend is 0.
        std::memset(pixels, 0, static_cast<size_t>(width) * height * sizeof(TexturePixel));
    } else {
        InterpolateCellsTabled(pixels, step);
    }
}

void TextureGenerator::DrawLattice(TexturePixel* pixels, int32_t step, uint8_t mask,
                                   bool coloured) {
    for (int32_t y = 0; y < height; y += step) {
        for (int32_t x = 0; x < width; x += step) {
            TexturePixel& p = pixels[y * width + x];
            const uint8_t first = static_cast<uint8_t>(NextRandom() & mask);
            p.c[0] = first;
            p.c[1] = first;
            p.c[2] = first;
            if (coloured) {
                p.c[1] = static_cast<uint8_t>(NextRandom() & mask);
                p.c[2] = static_cast<uint8_t>(NextRandom() & mask);
            }
        }
    }
}

void TextureGenerator::InterpolateCellsLiteral(TexturePixel* pixels, int32_t step) {
    const float inv = 1.0f / static_cast<float>(step);
    for (int32_t y = 0; y < height; y += step) {
        for (int32_t x = 0; x < width; x += step) {
            // Cells are written in place; each reproduces its own top-left lattice value, so
            // the corners later cells read are still the drawn values.
            const CornerBlock block{At(pixels, x, y), At(pixels, x + step, y),
                                    At(pixels, x, y + step), At(pixels, x + step, y + step)};
            for (int32_t i = 0; i < step; ++i) {
                for (int32_t j = 0; j < step; ++j) {
                    const float fx = static_cast<float>(j) * inv;
                    const float fy = static_cast<float>(i) * inv;
                    pixels[(y + i) * width + x + j] = CosineBlend(block, fx, fy);
                }
            }
        }
    }
}

void TextureGenerator::InterpolateCellsTabled(TexturePixel* pixels, int32_t step) {
    const FractionTable table = MakeFractionTable(step);
    for (int32_t y = 0; y < height; y += step) {
        for (int32_t x = 0; x < width; x += step) {
            const CornerBlock block{At(pixels, x, y), At(pixels, x + step, y),
                                    At(pixels, x, y + step), At(pixels, x + step, y + step)};
            const bool grey = IsGrey(block.p00) && IsGrey(block.p10) && IsGrey(block.p01) &&
                              IsGrey(block.p11);
            for (int32_t i = 0; i < step; ++i) {
                TexturePixel* row = pixels + (y + i) * width + x;
                if (grey) {
                    BlendGreyRow(row, step, table, table.u[i], block);
                } else {
                    BlendColourRow(row, step, table, table.u[i], block);
                }
            }
        }
    }
}
