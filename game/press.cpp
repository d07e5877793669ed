// GameTick: the 40 ms step of the game. Camera drift, then the press step while player 0 is
// in a game or the menu step otherwise, then the ageing of the particles.
#include "game/game_random.h"
#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/platform_calls.h"

#include <cmath>

namespace {

constexpr float LeakGrowth = 0.0005f;
constexpr float LengthPerPressure = 0.001f;
constexpr float PistonBottom = -5.0f;
constexpr float PistonAcceleration = 0.002f;
constexpr float MenuPistonSink = 0.025f;
constexpr float CameraKeyStep = 1.5f;

void DriftCamera(PlayerState& player, uint32_t tickTimeMs) {
    float t = static_cast<float>(tickTimeMs);
    player.pitch = player.pitch + 0.1f * std::sin(t * 0.0002f);
    player.yaw = player.yaw + 0.2f * std::sin(t * 0.00013f);
    if (player.pitch < -45.0f) {
        player.pitch = -45.0f;
    }
    if (player.pitch > 45.0f) {
        player.pitch = 45.0f;
    }
}

void MoveCameraByKeys(PlayerState& player) {
    if (KeyTable[Key::Left]) {
        player.yaw -= CameraKeyStep;
    }
    if (KeyTable[Key::Right]) {
        player.yaw += CameraKeyStep;
    }
    if (KeyTable[Key::Up]) {
        player.pitch -= CameraKeyStep;
        if (player.pitch < -45.0f) {
            player.pitch = -45.0f;
        }
    }
    if (KeyTable[Key::Down]) {
        player.pitch += CameraKeyStep;
        if (player.pitch > 90.0f) {
            player.pitch = 90.0f;
        }
    }
}

// Keyboard and joystick are combined per side before the alternation rule: the A side is A
// or button 1, the L side is L or button 2. Holding A with button 2 therefore counts as both
// sides held and adds nothing, like holding A and L.
void CountPresses(PlayerState& player) {
    bool aSide = KeyTable[Key::A] || JoystickButtons[0];
    bool lSide = KeyTable[Key::L] || JoystickButtons[1];
    if (aSide && !lSide && PressPhase == 1) {
        PressPhase = 2;
        player.pressure += 1.0f;
    }
    if (lSide && !aSide && PressPhase == 2) {
        PressPhase = 1;
        player.pressure += 1.0f;
    }
}

void SpawnParticle(float leak) {
    for (FartParticle& particle : Particles) {
        if (particle.seed > 0) {
            continue;
        }
        // Float arithmetic throughout: an integer r * 2 / 32767 would give only 0, 1 or 2.
        particle.seed = GameRand();
        particle.driftX = (static_cast<float>(GameRand()) * 2.0f / 32767.0f - 1.5f) * leak * 5.0f;
        particle.driftY = (static_cast<float>(GameRand()) * 2.0f / 32767.0f - 1.5f) * leak * 5.0f;
        particle.driftZ = static_cast<float>(GameRand()) * 10.0f / 32767.0f * leak * 5.0f;
        particle.age = 0;
        return;
    }
}

void FartEvent(float leak) {
    static const char* const Sounds[] = {"fart1", "fart2", "fart3"};
    int sound = GameRand() % 250;
    if (sound < 3) {
        PlaySoundEffect(Sounds[sound]);
    }
    SpawnParticle(leak);
}

void BuildUp(PlayerState& player) {
    player.leak += LeakGrowth;
    player.length += player.pressure * LengthPerPressure;
    // Seeded from the clock read now, not from the tick's timestamp.
    GameSrand(GetTickCount());
    if (player.length > 1.0f) {
        int r = GameRand();
        if (player.pressure * 1000.0f > static_cast<float>(r)) {
            FartEvent(player.leak);
        }
    }
}

void EndGame(PlayerState& player) {
    player.inGame = false;
    // Only a strictly greater length beats row 9.
    if (player.length > HighscoreTable[HighscoreRows - 1].length) {
        InsertHighscore(player.length, player.name);
        PlaySoundEffect("klatschen");
        ScreenState = Screen::Congratulations;
        MenuCursor = 0;
    }
}

void Release(PlayerState& player) {
    if (!ReleasePlayed) {
        ReleasePlayed = true;
        PlaySoundEffect("rel");
    }
    player.pressure = 0.0f;
    if (player.pistonHeight > PistonBottom) {
        player.pistonHeight -= player.pistonSpeed;
        player.pistonSpeed += PistonAcceleration;
    } else {
        EndGame(player);
    }
}

void PressStep(PlayerState& player) {
    // Escape ends the game at the end of this tick; the rest of the step still runs.
    if (KeyTable[Key::Escape]) {
        player.inGame = false;
    }
    MoveCameraByKeys(player);
    CountPresses(player);
    player.pressure = player.pressure - player.leak;
    if (player.pressure > 0.0f) {
        BuildUp(player);
    } else {
        Release(player);
    }
}

void MenuStep(PlayerState& player) {
    ReleasePlayed = false;
    // No lower bound: between games the piston keeps sinking until the next game starts.
    player.pistonHeight -= MenuPistonSink;
    HandleMenu();
}

void AgeParticles() {
    for (FartParticle& particle : Particles) {
        if (particle.seed > 0) {
            particle.age += static_cast<int32_t>(TickMs);
            if (particle.age >= ParticleLifeMs) {
                particle.seed = 0;
            }
        }
    }
}

} // namespace

void GameTick(uint32_t tickTimeMs) {
    if (PlayerCount > 0 && !Players.empty()) {
        PlayerState& player = Players[0];
        DriftCamera(player, tickTimeMs);
        if (player.inGame) {
            PressStep(player);
        } else {
            MenuStep(player);
        }
    }
    AgeParticles();
}
