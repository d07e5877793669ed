// Layer life cycle: allocation, clearing between textures, fill, export, wrap-around reads.
#include <gtest/gtest.h>

#include <cstdlib>

#include "texgen_test_support.h"

TEST(Layers, SharedGeneratorIsOneObject) {
    EXPECT_EQ(&GetTextureGenerator(), &GetTextureGenerator());
}

TEST(Layers, NewGeneratorHasNoLayersAndReleaseReturnsToThatState) {
    TextureGenerator generator;
    EXPECT_EQ(generator.Width(), -1);
    EXPECT_EQ(generator.Height(), -1);
    EXPECT_EQ(generator.LayerPixels(0), nullptr);
    PrepareLayers(generator, 16, 8);
    EXPECT_EQ(generator.Width(), 16);
    EXPECT_EQ(generator.Height(), 8);
    generator.ReleaseLayers();
    EXPECT_EQ(generator.Width(), -1);
    EXPECT_EQ(generator.LayerPixels(0), nullptr);
}

TEST(Layers, SecondResetOfSameSizeKeepsMemoryAndZeroesEveryByte) {
    TextureGenerator generator;
    PrepareLayers(generator, 16, 16);
    const TexturePixel* before[LayerCount];
    for (uint8_t layer = 0; layer < LayerCount; ++layer) {
        before[layer] = generator.LayerPixels(layer);
        FillPattern(generator, layer, layer + 1);
    }
    generator.SetSeed(777);
    PrepareLayers(generator, 16, 16);
    for (uint8_t layer = 0; layer < LayerCount; ++layer) {
        EXPECT_EQ(generator.LayerPixels(layer), before[layer]) << "layer " << int(layer);
        for (uint8_t byte : AllBytes(generator, layer)) {
            ASSERT_EQ(byte, 0) << "layer " << int(layer);
        }
    }
    EXPECT_EQ(generator.Seed(), 777u) << "ResetLayers must not touch the seed";
}

TEST(Layers, ResetHandsOutZeroedBufferOnlyWhenAsked) {
    TextureGenerator generator;
    uint8_t* buffer = reinterpret_cast<uint8_t*>(0x1234);
    generator.ResetLayers(&buffer, 8, 8, false);
    EXPECT_EQ(buffer, reinterpret_cast<uint8_t*>(0x1234));
    buffer = nullptr;
    generator.ResetLayers(&buffer, 8, 8, true);
    ASSERT_NE(buffer, nullptr);
    for (int i = 0; i < 8 * 8 * 4; ++i) {
        ASSERT_EQ(buffer[i], 0);
    }
    std::free(buffer);
}

TEST(Layers, FillAndExportGiveRgbWithOpaqueAlpha) {
    TextureGenerator generator;
    PrepareLayers(generator, 8, 4);
    FillPattern(generator, OutputLayer, 9);
    generator.Fill(OutputLayer, 1, 2, 3);
    for (int i = 0; i < 8 * 4; ++i) {
        EXPECT_EQ(generator.LayerPixels(OutputLayer)[i].c[3], 0) << "Fill sets the spare byte to 0";
    }
    std::vector<uint8_t> buffer(8 * 4 * 4, 0xAA);
    generator.ExportRgba(buffer.data(), 8, 4);
    for (size_t i = 0; i < buffer.size(); i += 4) {
        EXPECT_EQ(buffer[i], 1);
        EXPECT_EQ(buffer[i + 1], 2);
        EXPECT_EQ(buffer[i + 2], 3);
        EXPECT_EQ(buffer[i + 3], 255);
    }
}

TEST(Layers, ExportCopiesOnlyTheOutputLayerInRowOrder) {
    TextureGenerator generator;
    PrepareLayers(generator, 8, 8);
    for (uint8_t layer = 0; layer < 4; ++layer) {
        generator.Fill(layer, 200, 100, 50);
    }
    generator.FractalNoise(1, 4, 5, 256, 150, 4, true);
    std::vector<uint8_t> buffer(8 * 8 * 4, 0xAA);
    generator.ExportRgba(buffer.data(), 8, 8);
    for (size_t i = 0; i < buffer.size(); i += 4) {
        EXPECT_EQ(buffer[i] + buffer[i + 1] + buffer[i + 2], 0);
        EXPECT_EQ(buffer[i + 3], 255);
    }
    SetPixel(generator, OutputLayer, 3, 5, {9, 8, 7});
    generator.ExportRgba(buffer.data(), 8, 8);
    const size_t at = (5 * 8 + 3) * 4;
    EXPECT_EQ(buffer[at], 9);
    EXPECT_EQ(buffer[at + 1], 8);
    EXPECT_EQ(buffer[at + 2], 7);
}

TEST(Layers, ReadsOutsideTheLayerWrapAround) {
    TextureGenerator generator;
    PrepareLayers(generator, 8, 4);
    FillPattern(generator, 0, 1);
    // Shift reads column x + dx and row y + dy: -1 must be the last column, height row 0.
    generator.Shift(0, 1, -1, 0);
    generator.Shift(0, 2, 0, 4);
    for (int32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelAt(generator, 1, 0, y), PixelAt(generator, 0, 7, y));
        for (int32_t x = 0; x < 8; ++x) {
            EXPECT_EQ(PixelAt(generator, 2, x, y), PixelAt(generator, 0, x, y));
        }
    }
    const TexturePixel p = generator.SampleLayer(0, 7.0f, 3.0f);
    EXPECT_EQ((Rgb{p.c[0], p.c[1], p.c[2]}), PixelAt(generator, 0, 7, 3));
}
