// Per-pixel filters and combiners: clamping, truncation, integer products, equalisation.
#include <gtest/gtest.h>

#include "texgen_test_support.h"

namespace {

class PixelFilters : public ::testing::Test {
  protected:
    void SetUp() override { PrepareLayers(generator, 4, 4); }
    TextureGenerator generator;
};

} // namespace

TEST_F(PixelFilters, ScaleChannelsClampsAndTruncates) {
    SetPixel(generator, 0, 0, 0, {127, 128, 3});
    SetPixel(generator, 0, 1, 0, {255, 200, 0});
    generator.ScaleChannels(0, 1, 2.0f, 2.0f, 0.7f);
    EXPECT_EQ(PixelAt(generator, 1, 0, 0), (Rgb{254, 255, 2}));
    EXPECT_EQ(PixelAt(generator, 1, 1, 0), (Rgb{255, 255, 0}));
    generator.ScaleChannels(0, 0, 0.0f, -1.0f, 0.5f);
    EXPECT_EQ(PixelAt(generator, 0, 0, 0), (Rgb{0, 0, 1}));
}

TEST_F(PixelFilters, MixClampsBothWays) {
    generator.Fill(0, 100, 200, 7);
    generator.Fill(1, 255, 100, 3);
    generator.Mix(0, 1, 2, 1.0f, -0.5f);
    EXPECT_EQ(PixelAt(generator, 2, 2, 2), (Rgb{0, 150, 5}));
    generator.Mix(0, 1, 0, 1.0f, 1.0f); // destination is a source
    EXPECT_EQ(PixelAt(generator, 0, 3, 1), (Rgb{255, 255, 10}));
    // 0.37 of 255 is 94.35: the sum is truncated, not rounded.
    generator.Fill(0, 255, 128, 0);
    generator.Fill(1, 255, 255, 1);
    generator.Mix(0, 1, 3, 1.0f, 0.37f);
    EXPECT_EQ(PixelAt(generator, 3, 0, 0), (Rgb{255, 222, 0}));
}

TEST_F(PixelFilters, MultiplyUsesTheIntegerProductOverTwoFiftyFive) {
    generator.Fill(0, 0, 77, 255);
    generator.Fill(1, 255, 255, 255);
    generator.Multiply(0, 1, 2, 1.0f, 1.0f);
    EXPECT_EQ(PixelAt(generator, 2, 1, 1), (Rgb{0, 77, 255}));
    generator.Fill(1, 128, 128, 128);
    generator.Multiply(0, 1, 2, 1.0f, 1.0f);
    EXPECT_EQ(PixelAt(generator, 2, 1, 1), (Rgb{0, 38, 128})); // 77 x 128 / 255 = 38.65
    generator.Multiply(0, 1, 2, 2.0f, 2.0f);
    EXPECT_EQ(PixelAt(generator, 2, 1, 1), (Rgb{0, 154, 255}));
}

TEST_F(PixelFilters, MaximumAndMinimumPerChannelIgnoringWeights) {
    generator.Fill(0, 10, 200, 128);
    generator.Fill(1, 20, 100, 128);
    generator.Maximum(0, 1, 2, -5.0f, 0.0f);
    generator.Minimum(0, 1, 3, 9.0f, 9.0f);
    EXPECT_EQ(PixelAt(generator, 2, 0, 3), (Rgb{20, 200, 128}));
    EXPECT_EQ(PixelAt(generator, 3, 0, 3), (Rgb{10, 100, 128}));
}

TEST_F(PixelFilters, EqualizeMapsByCumulativeShare) {
    generator.Fill(0, 40, 0, 255);
    generator.Equalize(0, 1);
    EXPECT_EQ(PixelAt(generator, 1, 0, 0), (Rgb{255, 255, 255})) << "one colour: all 255";
    // Red: half the pixels 10, half 20; green: one pixel 1, the rest 2.
    for (int32_t i = 0; i < 16; ++i) {
        SetPixel(generator, 0, i % 4, i / 4, {i < 8 ? 10 : 20, i == 0 ? 1 : 2, 0});
    }
    generator.Equalize(0, 0);
    EXPECT_EQ(PixelAt(generator, 0, 0, 0), (Rgb{127, 15, 255})); // 255 x 1/2, 255 x 1/16
    EXPECT_EQ(PixelAt(generator, 0, 3, 3), (Rgb{255, 255, 255}));
}

TEST_F(PixelFilters, InvertComplementsAllFourBytesAndUndoesItself) {
    FillPattern(generator, 0, 5);
    const std::vector<uint8_t> original = AllBytes(generator, 0);
    generator.Invert(0, 1);
    const std::vector<uint8_t> inverted = AllBytes(generator, 1);
    for (size_t i = 0; i < original.size(); ++i) {
        ASSERT_EQ(inverted[i], 255 - original[i]);
    }
    generator.Invert(1, 1);
    EXPECT_EQ(AllBytes(generator, 1), original);
}
