// Kesselfass 3D's entry: start-up in its fixed order, the main loop (one event per pass,
// otherwise draw, swap, F1 switch, catch-up ticks, quit check) and the shutdown with the save.
#define SDL_MAIN_HANDLED
#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/platform_calls.h"
#include "game/score_file.h"
#include "platform/audio_output.h"
#include "platform/game_window.h"
#include "platform/joystick_input.h"
#include "platform/music_start.h"
#include "platform/tick_clock.h"
#include "platform/virtual_joystick.h"
#include "platform/window_events.h"
#include "render/render.h"

#include <SDL.h>

namespace {

constexpr int32_t WindowWidth = 1024;
constexpr int32_t WindowHeight = 768;
constexpr int32_t WindowBits = 32;

enum class LoopEnd { Quit, WindowLost };

// Services that outlive the window; released on every way out once start-up got past it.
void StopServices() {
    StopMusic();
    CloseAudioOutput();
    StopVirtualJoystickControl();
    ReleaseJoysticks();
    SDL_Quit();
}

// F1: the window is made again in the other mode, with all of its GL state.
bool SwitchWindowMode(PassPacer& pacer) {
    KeyTable[Key::F1] = false;
    CloseGameWindow();
    Fullscreen = !Fullscreen;
    if (!OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, Fullscreen)) {
        return false;
    }
    CaptureJoysticks();
    SetPacerRate(pacer, GameWindowRefreshRate());
    return true;
}

// A monotonic microsecond clock. Split into whole seconds and the rest, because the counter
// (nanoseconds on Linux) times a million would overflow 64 bits after five hours of uptime.
uint64_t MonotonicMicroseconds() {
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    const uint64_t counter = SDL_GetPerformanceCounter();
    return counter / frequency * 1000000u + counter % frequency * 1000000u / frequency;
}

// Sleeps out the rest of the refresh interval, so that where the swap does not wait for the
// display an idle menu does not spin a core. Ticks follow the clock, not the passes.
void PaceThePass(PassPacer& pacer) {
    const uint64_t sleepUs = PacerSleepUs(pacer, MonotonicMicroseconds());
    if (sleepUs >= 1000) {
        SDL_Delay(static_cast<Uint32>(sleepUs / 1000));
    }
}

LoopEnd RunMainLoop() {
    PassPacer pacer;
    SetPacerRate(pacer, GameWindowRefreshRate());
    for (;;) {
        SDL_Event event;
        if (SDL_PollEvent(&event)) {
            if (!HandleGameEvent(event)) {
                return LoopEnd::Quit;
            }
            continue;
        }
        if (WindowActive) {
            if (DrawFrame()) {
                SwapGameWindow();
            } else {
                QuitRequested = true;
            }
        } else {
            SwapGameWindow();
        }
        if (KeyTable[Key::F1] && !SwitchWindowMode(pacer)) {
            return LoopEnd::WindowLost;
        }
        PollVirtualJoystickControl();
        RunDueTicks(GetTickCount(), GameTick);
        if (QuitRequested) {
            return LoopEnd::Quit;
        }
        PaceThePass(pacer);
    }
}

} // namespace

int main(int, char**) {
    SDL_SetMainReady();
    Fullscreen = true;
    for (bool& button : JoystickButtons) {
        button = false;
    }
    AddPlayer("VOV1ER0U");
    // Read before the window is made: the texture generation's time is caught up by ticks.
    NextTickTime = GetTickCount();
    if (!OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, Fullscreen)) {
        SDL_Quit();
        return 0;
    }
    CaptureJoysticks();
    StartVirtualJoystickControl();
    OpenAudioOutput();
    StartMusic();
    LoadHighscores();
    BuildSphereMesh(3);

    if (RunMainLoop() == LoopEnd::WindowLost) {
        // The window could not be made again; it has reported why. Nothing is saved.
        StopServices();
        return 0;
    }
    SaveHighscores();
    CloseGameWindow();
    StopServices();
    return 0;
}
