// Lattice value noise: random values at every step-th pixel, cosine-blended across each cell.
// The tabled interpolation takes the weights of the repeating fractions j / step from a table
// and gives exactly the bits of the literal per-pixel evaluation.
#include <bit>
#include <cassert>
#include <cstring>
#include <vector>

#include "texgen/blend_weights.h"
#include "texgen/texture_generator.h"

namespace {

// Cosine weights of the fractions j x (1 / step), j = 0..step-1, and their complements,
// repeated across a whole row: entry x holds the weight of column x % step of its cell.
struct FractionTable {
    std::vector<float> u;
    std::vector<float> iu;
};

FractionTable MakeFractionTable(int32_t step, int32_t width) {
    const float inv = 1.0f / static_cast<float>(step);
    FractionTable table{std::vector<float>(width), std::vector<float>(width)};
    for (int32_t j = 0; j < step; ++j) {
        const float u = CosineWeight(static_cast<float>(j) * inv);
        for (int32_t x = j; x < width; x += step) {
            table.u[x] = u;
            table.iu[x] = 1.0f - u;
        }
    }
    return table;
}

// The four corner values of every column's cell along one row of cells, for one channel, as
// floats; index [corner * width + x] with corners in the order p00, p10, p01, p11. step is a
// power of two, since it divides the power-of-two width.
void GatherCorners(const TexturePixel* top, const TexturePixel* bottom, int32_t width, int32_t step,
                   int c, float* corners) {
    for (int32_t x = 0; x < width; ++x) {
        const int32_t x0 = x & ~(step - 1);
        const int32_t x1 = (x0 + step) & (width - 1);
        corners[x] = top[x0].c[c];
        corners[width + x] = top[x1].c[c];
        corners[2 * width + x] = bottom[x0].c[c];
        corners[3 * width + x] = bottom[x1].c[c];
    }
}

bool LatticeRowIsGrey(const TexturePixel* row, int32_t width, int32_t step) {
    for (int32_t x = 0; x < width; x += step) {
        if (row[x].c[0] != row[x].c[1] || row[x].c[1] != row[x].c[2]) {
            return false;
        }
    }
    return true;
}

// One channel of one pixel row at cell row offset v: a straight loop over the whole row that
// the compiler can vectorise.
void BlendRowChannel(const float* corners, const FractionTable& t, float v, int32_t width,
                     uint32_t* values) {
    const float iv = 1.0f - v;
    const float* u = t.u.data();
    const float* iu = t.iu.data();
    const float* p00 = corners;
    const float* p10 = corners + width;
    const float* p01 = corners + 2 * width;
    const float* p11 = corners + 3 * width;
    for (int32_t x = 0; x < width; ++x) {
        const BlendWeights w{iu[x] * iv, u[x] * iv, iu[x] * v, u[x] * v};
        values[x] = BlendChannel(p00[x], p10[x], p01[x], p11[x], w);
    }
}

// A pixel as one word whose bytes in memory are R, G, B, 0.
uint32_t PackPixel(uint32_t r, uint32_t g, uint32_t b) {
    if constexpr (std::endian::native == std::endian::little) {
        return r | g << 8 | b << 16;
    } else {
        return r << 24 | g << 16 | b << 8;
    }
}

void StoreRow(TexturePixel* row, int32_t width, const uint32_t* r, const uint32_t* g,
              const uint32_t* b, uint32_t* words) {
    for (int32_t x = 0; x < width; ++x) {
        words[x] = PackPixel(r[x], g[x], b[x]);
    }
    std::memcpy(row, words, static_cast<size_t>(width) * sizeof(TexturePixel));
}

} // namespace

void TextureGenerator::ValueNoise(uint8_t layer, int32_t step, int32_t seedArg, int32_t amplitude,
                                  bool coloured) {
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
    // Same blends as the literal loop, taken a whole pixel row at a time: the weights of
    // column x depend only on x % step, the corners only on the cell x lies in.
    const FractionTable table = MakeFractionTable(step, width);
    std::vector<float> corners(3 * 4 * static_cast<size_t>(width));
    std::vector<uint32_t> values(4 * static_cast<size_t>(width));
    for (int32_t y = 0; y < height; y += step) {
        const TexturePixel* top = pixels + y * width;
        const TexturePixel* bottom = pixels + ((y + step) & heightMask) * width;
        const bool grey =
            LatticeRowIsGrey(top, width, step) && LatticeRowIsGrey(bottom, width, step);
        const int channels = grey ? 1 : 3;
        for (int c = 0; c < channels; ++c) {
            GatherCorners(top, bottom, width, step, c, corners.data() + c * 4 * width);
        }
        for (int32_t i = 0; i < step; ++i) {
            for (int c = 0; c < channels; ++c) {
                BlendRowChannel(corners.data() + c * 4 * width, table, table.u[i], width,
                                values.data() + c * width);
            }
            const uint32_t* r = values.data();
            const uint32_t* g = grey ? r : r + width;
            const uint32_t* b = grey ? r : r + 2 * width;
            StoreRow(pixels + (y + i) * width, width, r, g, b, values.data() + 3 * width);
        }
    }
}
