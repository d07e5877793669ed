// Neighbourhood and geometric filters: kernel layout, wrap-around, identities, in-place use.
#include <gtest/gtest.h>

#include "texgen_test_support.h"

namespace {

class GeometricFilters : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareLayers(generator, 16, 8);
        FillPattern(generator, 0, 21);
    }
    TextureGenerator generator;
};

} // namespace

TEST_F(GeometricFilters, ConvolveKernelIsListedColumnByColumn) {
    float centre[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    generator.Convolve3x3(0, 1, false, centre);
    EXPECT_EQ(ChannelBytes(generator, 1), ChannelBytes(generator, 0));
    // Entry 1 is the left column, middle row; entry 3 the centre column, top row.
    float left[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
    float up[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
    float corner[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    generator.Convolve3x3(0, 1, false, left);
    generator.Convolve3x3(0, 2, false, up);
    generator.Convolve3x3(0, 3, false, corner);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(PixelAt(generator, 1, x, y), PixelAt(generator, 0, (x + 15) % 16, y));
            ASSERT_EQ(PixelAt(generator, 2, x, y), PixelAt(generator, 0, x, (y + 7) % 8));
        }
    }
    // At the corner pixel the upper left neighbour is the last column of the last row.
    EXPECT_EQ(PixelAt(generator, 3, 0, 0), PixelAt(generator, 0, 15, 7));
}

TEST_F(GeometricFilters, ConvolveClampsOrTakesAbsoluteValues) {
    float negative[9] = {0, 0, 0, 0, -1, 0, 0, 0, 0};
    generator.Convolve3x3(0, 1, false, negative);
    for (uint8_t byte : ChannelBytes(generator, 1)) {
        ASSERT_EQ(byte, 0);
    }
    generator.Convolve3x3(0, 1, true, negative);
    EXPECT_EQ(ChannelBytes(generator, 1), ChannelBytes(generator, 0));
    float doubled[9] = {0, 0, 0, 0, 2, 0, 0, 0, 0};
    generator.Fill(2, 100, 128, 200);
    generator.Convolve3x3(2, 2, false, doubled);
    EXPECT_EQ(PixelAt(generator, 2, 5, 5), (Rgb{200, 255, 255}));
}

TEST_F(GeometricFilters, SharpenKeepsFlatAreasAndLiftsEdges) {
    generator.Fill(1, 90, 91, 92);
    generator.Sharpen(1, 1);
    EXPECT_EQ(PixelAt(generator, 1, 3, 3), (Rgb{90, 91, 92}));
    SetPixel(generator, 1, 3, 3, {100, 100, 100});
    generator.Sharpen(1, 1);
    // 2.5 x 100 - 1.5 x 90 = 115 at the centre; each edge neighbour loses 0.25 x 10.
    EXPECT_EQ(PixelAt(generator, 1, 3, 3).r, 115);
    EXPECT_EQ(PixelAt(generator, 1, 4, 3).r, 87);
    EXPECT_EQ(PixelAt(generator, 1, 4, 4).r, 88); // 90 - 1.25
}

TEST_F(GeometricFilters, ShiftMovesThePictureWithWrapAround) {
    const std::vector<uint8_t> original = AllBytes(generator, 0);
    generator.Shift(0, 1, 16, 8);
    EXPECT_EQ(AllBytes(generator, 1), original);
    generator.Shift(0, 1, 0, 0);
    EXPECT_EQ(AllBytes(generator, 1), original);
    generator.Shift(0, 1, 8, 4);
    EXPECT_EQ(PixelAt(generator, 1, 0, 0), PixelAt(generator, 0, 8, 4));
    EXPECT_EQ(PixelAt(generator, 1, 10, 5), PixelAt(generator, 0, 2, 1));
    generator.Shift(0, 0, 8, 4); // in place goes through the ScratchLayer copy
    EXPECT_EQ(AllBytes(generator, 0), AllBytes(generator, 1));
}

TEST_F(GeometricFilters, JitterTakesPixelsFromAboveLeftAndSetsTheSeed) {
    generator.Fill(1, 33, 66, 99);
    generator.SetSeed(5);
    generator.Jitter(1, 1, 0, 6);
    EXPECT_EQ(PixelAt(generator, 1, 7, 7), (Rgb{33, 66, 99}));
    EXPECT_EQ(generator.Seed(), 0u) << "seed 0 is taken as given";
    generator.Jitter(1, 1, 1234567, 6);
    TextureGenerator reference;
    reference.SetSeed(1234567);
    for (int i = 0; i < 2 * 16 * 8; ++i) {
        reference.NextRandom();
    }
    EXPECT_EQ(generator.Seed(), reference.Seed()) << "two draws per pixel";
    // Strength 0: offsets of -1 (or 0 for a draw of 32767).
    generator.Jitter(0, 2, 99, 0);
    int moved = 0;
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            moved +=
                PixelAt(generator, 2, x, y) == PixelAt(generator, 0, (x + 15) % 16, (y + 7) % 8);
        }
    }
    EXPECT_GE(moved, 16 * 8 - 2);
    // In place equals out of place.
    generator.Jitter(0, 3, 42, 3);
    generator.Jitter(0, 0, 42, 3);
    EXPECT_EQ(AllBytes(generator, 0), AllBytes(generator, 3));
}

TEST_F(GeometricFilters, DisplaceFollowsTheBrightestMapChannel) {
    generator.Fill(1, 0, 0, 0);
    generator.Displace(0, 1, 2, 0.1f, 0.4f);
    EXPECT_EQ(ChannelBytes(generator, 2), ChannelBytes(generator, 0)) << "black map: no move";
    // Map value 20 (the largest channel) x kx 0.25 = 5 columns, x ky 0.1 = 2 rows.
    generator.Fill(1, 3, 20, 9);
    generator.Displace(0, 1, 2, 0.25f, 0.1f);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(PixelAt(generator, 2, x, y),
                      PixelAt(generator, 0, (x + 5) % 16, (y + 2) % 8));
        }
    }
}

TEST_F(GeometricFilters, TwirlWithoutStrengthOrOutsideTheCircleKeepsPixels) {
    PrepareLayers(generator, 64, 64);
    FillPattern(generator, 0, 8);
    generator.Twirl(0, 1, 0.0f, 2000.0f);
    EXPECT_EQ(ChannelBytes(generator, 1), ChannelBytes(generator, 0));
    generator.Twirl(0, 2, 200.0f, 20.0f);
    EXPECT_EQ(PixelAt(generator, 2, 0, 0), PixelAt(generator, 0, 0, 0));
    EXPECT_EQ(PixelAt(generator, 2, 63, 40), PixelAt(generator, 0, 63, 40));
    EXPECT_EQ(PixelAt(generator, 2, 32, 0), PixelAt(generator, 0, 32, 0)) << "on the rim";
    EXPECT_NE(ChannelBytes(generator, 2), ChannelBytes(generator, 0));
}
