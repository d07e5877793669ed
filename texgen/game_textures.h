// The recipes of the game's five textures: fixed sequences of generator operations with fixed
// seeds, runnable without any GL context (the upload lives in texture_upload.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "texgen/texture_generator.h"

// The five game textures in the order the recipes make them.
enum class GameTexture : int { Cylinder = 0, Sphere, Wave, Sausage, Surface };

inline constexpr int GameTextureCount = 5;
inline constexpr int32_t GameTextureSize = 256;                                   // pixels a side
inline constexpr size_t GameTextureBytes = GameTextureSize * GameTextureSize * 4; // RGBA bytes

// Lower-case name of a texture ("cylinder", "sphere", "wave", "sausage", "surface"), used for
// file names by texdump and in test messages.
const char* GameTextureName(GameTexture texture);

// Runs one texture's operations on the generator's layers, leaving the image in the
// OutputLayer. Expects layers of GameTextureSize freshly cleared by ResetLayers.
void RunTextureRecipe(TextureGenerator& generator, GameTexture texture);

// ResetLayers with a new output buffer, the recipe, ExportRgba: the buffer BuildGameTextures
// uploads. Returns nullptr when memory is short; otherwise the caller frees it with std::free.
uint8_t* GenerateGameTexture(TextureGenerator& generator, GameTexture texture);

// All five RGBA images (GameTextureBytes each) in recipe order, made by one generator exactly as
// BuildGameTextures makes them. Used by texdump and the tests. False when memory is short.
bool MakeGameTextureImages(TextureGenerator& generator,
                           std::array<std::vector<uint8_t>, GameTextureCount>& images);
