// Speed of the game's ticks alone: how long the passes of a page shown again after a minute in
// the background (1500 ticks of 40 ms at once, as a browser's once-a-minute timer leaves them)
// take to catch up, from a running game with a 100 cm sausage and 75 live particles.
#include "game/game_state.h"
#include "game/game_tick.h"
#include "tests/support/scene_fixtures.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void BM_CatchUpTicks(benchmark::State& state) {
    const auto ticks = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        SetUpRunningGame(100.0f, 75);
        state.ResumeTiming();
        for (uint32_t i = 0; i < ticks; ++i) {
            GameTick(i * TickMs);
        }
        benchmark::DoNotOptimize(Players[0].length);
    }
}

} // namespace

BENCHMARK(BM_CatchUpTicks)->Arg(1500)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
