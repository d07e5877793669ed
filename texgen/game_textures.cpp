// The five game texture recipes. Each is a fixed sequence of generator operations with fixed
// seeds, so the images are the same on every run and after every re-creation of the window.
#include "texgen/game_textures.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr bool Grey = false;
constexpr bool Coloured = true;

// Mostly white with warm brown clouds: two cloud layers merged, displaced and brightened.
void MakeCylinder(TextureGenerator& g) {
    g.FractalNoise(0, 128, 9876543, 256, 150, 8, Grey);
    g.ScaleChannels(0, 0, 0.7f, 0.5f, 0.0f);
    g.FractalNoise(1, 128, 564564544, 256, 150, 8, Grey);
    g.Equalize(1, 1);
    g.ScaleChannels(1, 1, 2.0f, 2.0f, 2.0f);
    g.Shift(1, 1, 128, 128);
    // Same seed as layer 1: layer 2 repeats its clouds as they were before steps 4 to 6.
    g.FractalNoise(2, 128, 564564544, 256, 150, 8, Grey);
    g.FractalNoise(3, 128, 0, 256, 150, 8, Grey);
    g.Fill(OutputLayer, 0, 0, 0);
    g.Maximum(0, 1, OutputLayer, 1.0f, 1.0f);
    g.Displace(OutputLayer, 2, OutputLayer, 0.1f, 0.4f);
    g.Mix(OutputLayer, 3, OutputLayer, 1.0f, 1.0f);
}

// Salmon pink with a fine grain: jittered coarse noise over a flat pink.
void MakeSphere(TextureGenerator& g) {
    g.Fill(0, 255, 128, 128);
    g.ValueNoise(1, 128, 9876543, 256, Grey);
    g.Jitter(1, 1, 1234567, 6);
    g.Fill(OutputLayer, 0, 0, 0);
    g.Mix(0, 1, OutputLayer, 1.0f, 0.37f);
}

// Soft clouds of warm, mixed colours.
void MakeWave(TextureGenerator& g) {
    g.FractalNoise(0, 128, 9876543, 256, 150, 8, Grey);
    g.ScaleChannels(0, 0, 1.0f, 0.7f, 0.5f);
    g.FractalNoise(1, 128, 0, 256, 150, 8, Coloured);
    g.Fill(OutputLayer, 0, 0, 0);
    g.Mix(0, 1, OutputLayer, 1.0f, 0.3f);
}

// Dark olive mottling on black.
void MakeSausage(TextureGenerator& g) {
    g.FractalNoise(0, 128, 9876543, 256, 150, 8, Grey);
    g.ScaleChannels(0, 0, 0.7f, 0.5f, 0.0f);
    g.FractalNoise(1, 64, 453722304, 256, 141, 6, Grey);
    g.FractalNoise(2, 32, 125656224, 128, 107, 4, Grey);
    g.FractalNoise(3, 128, 181156000, 256, 103, 8, Grey);
    g.Jitter(3, 3, 539596032, 6);
    g.Fill(OutputLayer, 0, 0, 0);
    g.Displace(0, 1, OutputLayer, 0.1f, 0.1f);
    g.Minimum(OutputLayer, 2, OutputLayer, 1.0f, 1.0f);
    g.Mix(OutputLayer, 3, OutputLayer, 2.0f, -0.5f);
}

// The sphere's grainy pink, darkened by a sharpened, jittered, twirled spot at the centre.
void MakeSurface(TextureGenerator& g) {
    g.Fill(0, 255, 128, 128);
    g.ValueNoise(1, 128, 9876543, 256, Grey);
    g.Jitter(1, 1, 1234567, 6);
    g.RadialSpot(2, 12.5f);
    g.Invert(2, 2);
    g.Sharpen(2, 2);
    g.Jitter(2, 2, 1234567, 3);
    g.Twirl(2, 2, 200.0f, 2000.0f);
    g.FractalNoise(3, 128, 9876543, 256, 150, 8, Grey);
    g.Fill(OutputLayer, 0, 0, 0);
    g.Mix(0, 1, OutputLayer, 1.0f, 0.37f);
    g.Multiply(OutputLayer, 2, OutputLayer, 1.0f, 1.0f);
    g.Mix(OutputLayer, 3, OutputLayer, 1.0f, -0.1f);
}

} // namespace

const char* GameTextureName(GameTexture texture) {
    switch (texture) {
    case GameTexture::Cylinder:
        return "cylinder";
    case GameTexture::Sphere:
        return "sphere";
    case GameTexture::Wave:
        return "wave";
    case GameTexture::Sausage:
        return "sausage";
    case GameTexture::Surface:
        return "surface";
    }
    return "unknown";
}

void RunTextureRecipe(TextureGenerator& generator, GameTexture texture) {
    switch (texture) {
    case GameTexture::Cylinder:
        MakeCylinder(generator);
        break;
    case GameTexture::Sphere:
        MakeSphere(generator);
        break;
    case GameTexture::Wave:
        MakeWave(generator);
        break;
    case GameTexture::Sausage:
        MakeSausage(generator);
        break;
    case GameTexture::Surface:
        MakeSurface(generator);
        break;
    }
}

uint8_t* GenerateGameTexture(TextureGenerator& generator, GameTexture texture) {
    uint8_t* buffer = nullptr;
    generator.ResetLayers(&buffer, GameTextureSize, GameTextureSize, true);
    if (buffer == nullptr || generator.Width() != GameTextureSize) {
        std::free(buffer);
        return nullptr;
    }
    RunTextureRecipe(generator, texture);
    generator.ExportRgba(buffer, GameTextureSize, GameTextureSize);
    return buffer;
}

bool MakeGameTextureImages(TextureGenerator& generator,
                           std::array<std::vector<uint8_t>, GameTextureCount>& images) {
    for (int i = 0; i < GameTextureCount; ++i) {
        uint8_t* buffer = GenerateGameTexture(generator, static_cast<GameTexture>(i));
        if (buffer == nullptr) {
            return false;
        }
        images[i].assign(buffer, buffer + GameTextureBytes);
        std::free(buffer);
    }
    return true;
}
