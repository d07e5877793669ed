// Time to make the five game textures on the CPU (ResetLayers, recipe, ExportRgba), as the
// game does at every GL set-up; the literal path is the per-pixel cosine evaluation.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "texgen/game_textures.h"

namespace {

// Arg 0: fast (tabled) path, the one the game uses; arg 1: literal path.
void BM_AllFiveTextures(benchmark::State& state) {
    TextureGenerator generator;
    generator.SetLiteralArithmetic(state.range(0) != 0);
    for (auto _ : state) {
        for (int i = 0; i < GameTextureCount; ++i) {
            uint8_t* buffer = GenerateGameTexture(generator, static_cast<GameTexture>(i));
            benchmark::DoNotOptimize(buffer);
            std::free(buffer);
        }
    }
    state.SetLabel(state.range(0) != 0 ? "literal" : "fast");
}
BENCHMARK(BM_AllFiveTextures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One texture at a time on the fast path, to see where the time goes.
void BM_OneTexture(benchmark::State& state) {
    TextureGenerator generator;
    const auto texture = static_cast<GameTexture>(state.range(0));
    for (auto _ : state) {
        uint8_t* buffer = GenerateGameTexture(generator, texture);
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
    state.SetLabel(GameTextureName(texture));
}
BENCHMARK(BM_OneTexture)->DenseRange(0, GameTextureCount - 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
