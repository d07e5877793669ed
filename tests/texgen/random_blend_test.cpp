// The generator's random sequence and its cosine interpolation, including the table-free
// shortcut for arbitrary fractions that must agree with the cosine bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "texgen/blend_weights.h"
#include "texgen_test_support.h"

namespace {

CornerBlock Corners(Rgb p00, Rgb p10, Rgb p01, Rgb p11) {
    auto pixel = [](Rgb v) {
        return TexturePixel{
            {static_cast<uint8_t>(v.r), static_cast<uint8_t>(v.g), static_cast<uint8_t>(v.b), 0}};
    };
    return {pixel(p00), pixel(p10), pixel(p01), pixel(p11)};
}

Rgb ToRgb(const TexturePixel& p) {
    return {p.c[0], p.c[1], p.c[2]};
}

} // namespace

TEST(NextRandom, SequenceFromSeedOne) {
    TextureGenerator generator;
    generator.SetSeed(1);
    const int32_t expected[] = {346, 32552, 10851, 22876, -22203};
    for (int32_t value : expected) {
        EXPECT_EQ(generator.NextRandom(), value);
    }
    EXPECT_EQ(generator.Seed(), 1u * 22695477u * 22695477u * 22695477u * 22695477u * 22695477u);
}

TEST(NextRandom, ZeroSeedIsStuck) {
    TextureGenerator generator;
    generator.SetSeed(0);
    EXPECT_EQ(generator.NextRandom(), 0);
    EXPECT_EQ(generator.Seed(), 0u);
}

TEST(CosineBlend, WeightsFollowTheCornersAndTheCosine) {
    TextureGenerator generator;
    const CornerBlock block = Corners({10, 20, 30}, {110, 120, 130}, {50, 60, 70}, {250, 0, 90});
    // At the origin the result is p00 exactly; at the other corners (fractions 1) the others.
    EXPECT_EQ(ToRgb(generator.CosineBlend(block, 0.0f, 0.0f)), (Rgb{10, 20, 30}));
    EXPECT_EQ(ToRgb(generator.CosineBlend(block, 1.0f, 0.0f)), (Rgb{110, 120, 130}));
    EXPECT_EQ(ToRgb(generator.CosineBlend(block, 0.0f, 1.0f)), (Rgb{50, 60, 70}));
    // fx = 0.5 weighs p00 and p10 equally: (10 + 110) / 2 and so on.
    EXPECT_EQ(ToRgb(generator.CosineBlend(block, 0.5f, 0.0f)), (Rgb{60, 70, 80}));
    // Cosine, not linear: at a quarter the far corner weighs (1 - cos(pi/4)) / 2 = 0.146.
    EXPECT_EQ(ToRgb(generator.CosineBlend(
                  Corners({0, 0, 0}, {200, 200, 200}, {0, 0, 0}, {200, 200, 200}), 0.25f, 0.0f)),
              (Rgb{29, 29, 29}));
    // Even in the fractions.
    for (float f : {0.1f, 0.3f, 0.77f}) {
        EXPECT_EQ(ToRgb(generator.CosineBlend(block, -f, f)),
                  ToRgb(generator.CosineBlend(block, f, -f)));
        EXPECT_EQ(ToRgb(generator.CosineBlend(block, -f, -f)),
                  ToRgb(generator.CosineBlend(block, f, f)));
    }
}

TEST(CosineBlend, EqualCornersMayLoseOneToRounding) {
    TextureGenerator generator;
    int lowered = 0;
    for (int v : {1, 17, 128, 200, 255}) {
        const CornerBlock block = Corners({v, v, v}, {v, v, v}, {v, v, v}, {v, v, v});
        for (int i = 0; i < 64; ++i) {
            const TexturePixel p = generator.CosineBlend(block, i / 64.0f, (63 - i) / 64.0f);
            ASSERT_TRUE(p.c[0] == v || p.c[0] == v - 1) << v;
            lowered += p.c[0] == v - 1;
        }
    }
    EXPECT_GT(lowered, 0) << "weights rounded to float sum to slightly less than 1";
}

TEST(CosineBlend, SampleLayerBlendsAcrossTheWrap) {
    TextureGenerator generator;
    PrepareLayers(generator, 8, 8);
    SetPixel(generator, 0, 7, 7, {100, 0, 0});
    SetPixel(generator, 0, 0, 7, {200, 0, 0});
    SetPixel(generator, 0, 7, 0, {0, 40, 0});
    // Halfway between the last and the first column of the last row.
    EXPECT_EQ(ToRgb(generator.SampleLayer(0, 7.5f, 7.0f)), (Rgb{150, 0, 0}));
    // Halfway between the last and the first row.
    EXPECT_EQ(ToRgb(generator.SampleLayer(0, 7.0f, 7.5f)), (Rgb{50, 20, 0}));
}

TEST(CosineBlend, QuickWeightEqualsTheCosineBitForBit) {
    // Every fraction below 1 was checked once off-line; here a spread of them: the lattice
    // fractions, the neighbours of rounding boundaries near 0 and a sweep of bit patterns.
    auto same = [](float f) {
        const float a = QuickCosineWeight(f);
        const float b = CosineWeight(f);
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    for (int step = 1; step <= 256; step *= 2) {
        for (int j = 0; j < step; ++j) {
            ASSERT_TRUE(same(static_cast<float>(j) / static_cast<float>(step))) << j << "/" << step;
        }
    }
    for (float f = 1e-9f; f < 1e-3f; f *= 1.37f) {
        ASSERT_TRUE(same(f)) << f;
        ASSERT_TRUE(same(-f)) << f;
    }
    uint32_t one;
    const float oneFloat = 1.0f;
    std::memcpy(&one, &oneFloat, sizeof one);
    for (uint32_t bits = 0; bits < one; bits += 7919) {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        ASSERT_TRUE(same(f)) << f;
        ASSERT_TRUE(same(1.0f - f)) << 1.0f - f;
    }
}
