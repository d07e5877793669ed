// The five game textures: per-texture channel properties, independence from earlier textures,
// reruns, the tabled path against the literal per-pixel path, and the fixed images' checksums.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "texgen/game_textures.h"
#include "texgen_test_support.h"

namespace {

using Images = std::array<std::vector<uint8_t>, GameTextureCount>;

const Images& FastImages() {
    static const Images images = [] {
        Images made;
        TextureGenerator generator;
        EXPECT_TRUE(MakeGameTextureImages(generator, made));
        return made;
    }();
    return images;
}

const std::vector<uint8_t>& Image(GameTexture texture) {
    return FastImages()[static_cast<int>(texture)];
}

// FNV-1a, 64 bits.
uint64_t Checksum(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3ull;
    }
    return hash;
}

} // namespace

TEST(Recipes, ImagesAreOpaqueAndOfTheGameSize) {
    for (int i = 0; i < GameTextureCount; ++i) {
        const std::vector<uint8_t>& image = FastImages()[i];
        ASSERT_EQ(image.size(), 262144u);
        for (size_t p = 3; p < image.size(); p += 4) {
            ASSERT_EQ(image[p], 255) << GameTextureName(static_cast<GameTexture>(i));
        }
    }
}

TEST(Recipes, ChannelPropertiesOfEachTexture) {
    const std::vector<uint8_t>& sphere = Image(GameTexture::Sphere);
    const std::vector<uint8_t>& surface = Image(GameTexture::Surface);
    const std::vector<uint8_t>& sausage = Image(GameTexture::Sausage);
    for (size_t p = 0; p < sphere.size(); p += 4) {
        ASSERT_EQ(sphere[p], 255) << "pink base 255 plus a share, clamped";
        ASSERT_EQ(sphere[p + 1], sphere[p + 2]);
        ASSERT_GE(sphere[p + 1], 128);
        ASSERT_EQ(surface[p + 1], surface[p + 2]) << "every layer but the pink base is grey";
        ASSERT_EQ(sausage[p + 2], 0);
        ASSERT_GE(sausage[p], sausage[p + 1]);
    }
    // The surface's spot is black near the centre; away from it the red only loses a tenth
    // of the cloud layer and one for a twirl blend of white rounding down (254 - 25.5).
    int darkest = 255;
    for (int32_t y = 0; y < 256; ++y) {
        for (int32_t x = 0; x < 256; ++x) {
            const int red = surface[(y * 256 + x) * 4];
            const int d2 = (x - 128) * (x - 128) + (y - 128) * (y - 128);
            if (d2 < 16 * 16) {
                darkest = std::min(darkest, red);
            } else if (d2 > 40 * 40) {
                ASSERT_GE(red, 228) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(darkest, 0);
}

TEST(Recipes, CylinderKeepsItsLayersApart) {
    TextureGenerator generator;
    uint8_t* buffer = GenerateGameTexture(generator, GameTexture::Cylinder);
    ASSERT_NE(buffer, nullptr);
    std::free(buffer);
    // Layer 2 repeats layer 1's clouds as they were before equalising, scaling and shifting.
    TextureGenerator clouds;
    PrepareLayers(clouds, 256, 256);
    clouds.FractalNoise(1, 128, 564564544, 256, 150, 8, false);
    EXPECT_EQ(ChannelBytes(generator, 2), ChannelBytes(clouds, 1));
    clouds.Equalize(1, 1);
    clouds.ScaleChannels(1, 1, 2.0f, 2.0f, 2.0f);
    clouds.Shift(1, 1, 128, 128);
    EXPECT_EQ(ChannelBytes(generator, 1), ChannelBytes(clouds, 1));
}

TEST(Recipes, EachTextureSetsItsOwnSeedAndRerunsAreIdentical) {
    for (int i = GameTextureCount - 1; i >= 0; --i) {
        const auto texture = static_cast<GameTexture>(i);
        TextureGenerator alone; // a fresh generator with a different seed history
        alone.SetSeed(0xDEADBEEF);
        uint8_t* buffer = GenerateGameTexture(alone, texture);
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + GameTextureBytes), FastImages()[i])
            << GameTextureName(texture);
        std::free(buffer);
    }
    TextureGenerator generator;
    Images first;
    Images second;
    ASSERT_TRUE(MakeGameTextureImages(generator, first));
    ASSERT_TRUE(MakeGameTextureImages(generator, second)); // as after a window re-creation
    EXPECT_EQ(first, second);
}

TEST(Recipes, TabledPathMatchesTheLiteralPathByteForByte) {
    TextureGenerator literal;
    literal.SetLiteralArithmetic(true);
    Images images;
    ASSERT_TRUE(MakeGameTextureImages(literal, images));
    for (int i = 0; i < GameTextureCount; ++i) {
        const std::vector<uint8_t>& fast = FastImages()[i];
        size_t differing = 0;
        for (size_t b = 0; b < fast.size(); ++b) {
            differing += fast[b] != images[i][b];
        }
        EXPECT_EQ(differing, 0u) << GameTextureName(static_cast<GameTexture>(i));
    }
}

TEST(Recipes, FixedImagesKeepTheirChecksums) {
    // The textures are fixed images; a change here means every texture of the game changed.
    const uint64_t expected[GameTextureCount] = {0x50ef705de897706aull, 0x9676dcd068269005ull,
                                                 0x52d6d95ab06d9297ull, 0x8b420f8877c6919cull,
                                                 0x9ca7ca49eeaead80ull};
    for (int i = 0; i < GameTextureCount; ++i) {
        EXPECT_EQ(Checksum(FastImages()[i]), expected[i])
            << GameTextureName(static_cast<GameTexture>(i));
    }
}
