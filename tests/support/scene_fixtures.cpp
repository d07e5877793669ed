// Sets the game globals into the states the screenshots, tests and benchmarks draw.
#include "tests/support/scene_fixtures.h"

#include "game/game_random.h"
#include "game/game_state.h"

#include <algorithm>

namespace {

constexpr int MaxLiveParticles = ParticleLifeMs / 40;

// Seeds and drifts made the way the press step makes them, from a fixed seed of our own.
void SpawnFixedParticles(int count, float leak) {
    GameSrand(4242);
    for (int i = 0; i < count; ++i) {
        FartParticle& particle = Particles[i];
        do {
            particle.seed = GameRand();
        } while (particle.seed == 0);
        particle.driftX = (static_cast<float>(GameRand()) * 2.0f / 32767.0f - 1.5f) * leak * 5.0f;
        particle.driftY = (static_cast<float>(GameRand()) * 2.0f / 32767.0f - 1.5f) * leak * 5.0f;
        particle.driftZ = static_cast<float>(GameRand()) * 10.0f / 32767.0f * leak * 5.0f;
        // The newest particle sits in slot 0, the oldest is about to be freed.
        particle.age = 40 * i;
    }
}

} // namespace

void ResetToStartState() {
    ResetGameState();
    AddPlayer("VOV1ER0U");
    SetDefaultHighscores();
}

void ShowMenuScreen(int32_t screen, uint32_t cursor) {
    ResetToStartState();
    ScreenState = screen;
    MenuCursor = cursor;
}

void SetUpRunningGame(float length, int liveParticles, float leak) {
    ResetToStartState();
    PlayerState& player = Players[0];
    player.inGame = true;
    player.pressure = 12.34f;
    player.leak = leak;
    player.length = length;
    player.pistonHeight = 5.0f;
    player.pistonSpeed = 0.0f;
    SpawnFixedParticles(std::clamp(liveParticles, 0, MaxLiveParticles), leak);
}
