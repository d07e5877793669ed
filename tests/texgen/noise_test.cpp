// Lattice value noise, fractal octaves and the radial spot: draw order, masks, cells, tiling.
#include <gtest/gtest.h>

#include <algorithm>

#include "texgen_test_support.h"

namespace {

// Seed after n draws from the given seed.
uint32_t SeedAfter(uint32_t seed, int draws) {
    for (int i = 0; i < draws; ++i) {
        seed *= 22695477u;
    }
    return seed;
}

// Expected FractalNoise built from its parts: the amplitude-1 pass, then ValueNoise octaves
// with the listed steps and amplitudes added with saturation.
std::vector<uint8_t>
FractalFromOctaves(int32_t step, int32_t seed,
                   std::initializer_list<std::pair<int32_t, int32_t>> octaves) {
    TextureGenerator generator;
    PrepareLayers(generator, 256, 256);
    generator.ValueNoise(0, step, seed, 1, false);
    std::vector<uint8_t> sum = ChannelBytes(generator, 0);
    for (auto [octaveStep, amplitude] : octaves) {
        generator.ValueNoise(1, octaveStep, 0, amplitude, false);
        const std::vector<uint8_t> octave = ChannelBytes(generator, 1);
        for (size_t i = 0; i < sum.size(); ++i) {
            sum[i] = static_cast<uint8_t>(std::min(sum[i] + octave[i], 255));
        }
    }
    return sum;
}

std::vector<uint8_t> Fractal(int32_t step, int32_t seed, int32_t amplitude, int32_t persistence,
                             int32_t octaves) {
    TextureGenerator generator;
    PrepareLayers(generator, 256, 256);
    generator.FractalNoise(0, step, seed, amplitude, persistence, octaves, false);
    return ChannelBytes(generator, 0);
}

} // namespace

TEST(ValueNoise, LatticeValuesAreDrawsMaskedByAmplitudeMinusOne) {
    TextureGenerator generator;
    PrepareLayers(generator, 8, 8);
    // Step 1: every pixel is a lattice point, drawn row by row.
    generator.ValueNoise(0, 1, 4242, 150, false);
    TextureGenerator reference;
    reference.SetSeed(4242);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            const int v = reference.NextRandom() & 149; // a bit mask, not a modulus
            ASSERT_EQ(PixelAt(generator, 0, x, y), (Rgb{v, v, v})) << x << "," << y;
            ASSERT_EQ(v & ~(128 | 16 | 4 | 1), 0);
        }
    }
    generator.ValueNoise(1, 1, 99, 256, true);
    reference.SetSeed(99);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            const int r = reference.NextRandom() & 255;
            const int g = reference.NextRandom() & 255;
            const int b = reference.NextRandom() & 255;
            ASSERT_EQ(PixelAt(generator, 1, x, y), (Rgb{r, g, b}));
        }
    }
}

TEST(ValueNoise, CellsBlendBetweenTheirFourLatticeNeighbours) {
    TextureGenerator generator;
    PrepareLayers(generator, 16, 16);
    generator.ValueNoise(0, 8, 31337, 256, false);
    TextureGenerator reference;
    reference.SetSeed(31337);
    int lattice[2][2];
    for (auto& row : lattice) {
        for (int& v : row) {
            v = reference.NextRandom() & 255;
        }
    }
    for (int ly = 0; ly < 2; ++ly) {
        for (int lx = 0; lx < 2; ++lx) {
            EXPECT_EQ(PixelAt(generator, 0, lx * 8, ly * 8).r, lattice[ly][lx]);
        }
    }
    // Halfway along the top edge of the first cell: p00 and p10 equally, within rounding.
    const int top = PixelAt(generator, 0, 4, 0).r;
    EXPECT_NEAR(top, (lattice[0][0] + lattice[0][1]) / 2.0, 1.0);
    // Halfway down its left edge: p00 and p01.
    const int left = PixelAt(generator, 0, 0, 4).r;
    EXPECT_NEAR(left, (lattice[0][0] + lattice[1][0]) / 2.0, 1.0);
    // The last cells blend back towards row 0 and column 0, so the noise tiles.
    EXPECT_NEAR(PixelAt(generator, 0, 12, 0).r, (lattice[0][1] + lattice[0][0]) / 2.0, 1.0);
    EXPECT_NEAR(PixelAt(generator, 0, 8, 12).r, (lattice[1][1] + lattice[0][1]) / 2.0, 1.0);
}

TEST(ValueNoise, SeedArgumentAndDrawCounts) {
    TextureGenerator generator;
    PrepareLayers(generator, 16, 16);
    generator.ValueNoise(0, 4, 5, 1, false);
    for (uint8_t byte : ChannelBytes(generator, 0)) {
        ASSERT_EQ(byte, 0) << "amplitude 1 is mask 0";
    }
    EXPECT_EQ(generator.Seed(), SeedAfter(5, 16)) << "one draw per lattice point";
    generator.ValueNoise(0, 4, 5, 1, true);
    EXPECT_EQ(generator.Seed(), SeedAfter(5, 48)) << "three draws per point when coloured";
    generator.ValueNoise(0, 16, 5, 256, false);
    EXPECT_EQ(generator.Seed(), SeedAfter(5, 1)) << "step = size: the single point (0, 0)";
    const Rgb only = PixelAt(generator, 0, 0, 0);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            const Rgb p = PixelAt(generator, 0, x, y);
            ASSERT_TRUE(p.r == only.r || p.r == only.r - 1) << "all four corners are (0, 0)";
        }
    }
    // Seed 0 continues the sequence; the same non-zero seed repeats the layer.
    generator.ValueNoise(1, 4, 77, 256, true);
    generator.ValueNoise(2, 4, 0, 256, true);
    generator.ValueNoise(3, 4, 77, 256, true);
    EXPECT_NE(ChannelBytes(generator, 1), ChannelBytes(generator, 2));
    EXPECT_EQ(ChannelBytes(generator, 1), ChannelBytes(generator, 3));
}

TEST(ValueNoise, StepBelowOneIsRefusedBeforeAnyDraw) {
    TextureGenerator generator;
    PrepareLayers(generator, 8, 8);
#ifdef NDEBUG
    FillPattern(generator, 0, 1);
    const std::vector<uint8_t> before = AllBytes(generator, 0);
    generator.SetSeed(12);
    generator.ValueNoise(0, 0, 0, 256, false);
    generator.ValueNoise(0, -4, 99, 256, false);
    generator.ValueNoise(0, 3, 0, 256, false); // does not divide 8
    EXPECT_EQ(AllBytes(generator, 0), before);
    EXPECT_EQ(generator.Seed(), 12u);
#else
    EXPECT_DEATH(generator.ValueNoise(0, 0, 0, 256, false), "step");
    EXPECT_DEATH(generator.ValueNoise(0, 3, 0, 256, false), "step");
#endif
}

TEST(FractalNoise, OctaveTablesOfTheGameCalls) {
    EXPECT_EQ(Fractal(128, 9876543, 256, 150, 8),
              FractalFromOctaves(128, 9876543,
                                 {{64, 150}, {32, 87}, {16, 50}, {8, 29}, {4, 16}, {2, 9}}));
    EXPECT_EQ(Fractal(64, 453722304, 256, 141, 6),
              FractalFromOctaves(64, 453722304, {{32, 141}, {16, 77}, {8, 42}, {4, 23}}));
    EXPECT_EQ(Fractal(32, 125656224, 128, 107, 4),
              FractalFromOctaves(32, 125656224, {{16, 53}, {8, 22}}));
    // The amplitude reaches 0 before the sixth octave, which is not made.
    EXPECT_EQ(Fractal(128, 181156000, 256, 103, 8),
              FractalFromOctaves(128, 181156000, {{64, 103}, {32, 41}, {16, 16}, {8, 6}, {4, 2}}));
}

TEST(FractalNoise, DrawCountsAndShortRuns) {
    TextureGenerator generator;
    PrepareLayers(generator, 256, 256);
    generator.FractalNoise(0, 128, 181156000, 256, 103, 8, false);
    EXPECT_EQ(generator.Seed(), SeedAfter(181156000, 4 + 16 + 64 + 256 + 1024 + 4096));
    // The step runs out before the octaves: 32 -> 16 -> 8, then step 0 stops it.
    PrepareLayers(generator, 32, 32);
    generator.FractalNoise(0, 4, 3, 256, 255, 10, false);
    EXPECT_EQ(generator.Seed(), SeedAfter(3, 64 + 256 + 1024));
    for (int32_t octaves : {0, 1, 2}) {
        FillPattern(generator, 1, 7);
        generator.FractalNoise(1, 8, 11, 256, 200, octaves, true);
        for (uint8_t byte : ChannelBytes(generator, 1)) {
            ASSERT_EQ(byte, 0) << "octaves " << octaves;
        }
    }
}

TEST(RadialSpot, WhiteConeAtTheCentre) {
    TextureGenerator generator;
    PrepareLayers(generator, 256, 256);
    generator.RadialSpot(0, 12.5f);
    EXPECT_EQ(PixelAt(generator, 0, 128, 128), (Rgb{255, 255, 255}));
    // 255 - 2250 x 14 / 128 = 8.9; one pixel further the cone is below 0.
    EXPECT_EQ(PixelAt(generator, 0, 142, 128), (Rgb{8, 8, 8}));
    EXPECT_EQ(PixelAt(generator, 0, 128, 143), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(generator, 0, 0, 0), (Rgb{0, 0, 0}));
    generator.RadialSpot(1, 0.0f);
    for (uint8_t byte : ChannelBytes(generator, 1)) {
        ASSERT_EQ(byte, 255);
    }
}
