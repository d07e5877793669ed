// Kesselfass 3D's entry: start-up in its fixed order, the main loop (one event per pass,
// otherwise draw, swap, F1 switch, catch-up ticks, quit check) and the shutdown with the save.
#define SDL_MAIN_HANDLED
#include "game/game_state.h"
#include "game/platform_calls.h"
#include "game/score_file.h"
#include "platform/audio_output.h"
#include "platform/game_window.h"
#include "platform/hang_up.h"
#include "platform/joystick_input.h"
#include "platform/main_loop.h"
#include "platform/music_start.h"
#include "platform/tick_clock.h"
#include "platform/virtual_joystick.h"
#include "platform/window_events.h"
#include "render/render.h"

#include <SDL.h>

namespace {

PassPacer Pacer;

// Services that outlive the window; released on every way out once start-up got past it.
void StopServices() {
    StopMusic();
    CloseAudioOutput();
    StopVirtualJoystickControl();
    ReleaseJoysticks();
    SDL_Quit();
}

bool TakeEvent(bool& quit) {
    // The terminal that started the game has gone: as good as the quit message.
    if (HangUpCaught()) {
        quit = true;
        return true;
    }
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        return false;
    }
    quit = !HandleGameEvent(event);
    return true;
}

// F1: the window is made again in the other mode, with all of its GL state.
bool SwitchWindowMode() {
    if (!ReopenInOtherMode()) {
        return false;
    }
    CaptureJoysticks();
    SetPacerRate(Pacer, GameWindowRefreshRate());
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
// display an idle menu does not spin a core; then looks at the test hook's joystick. Ticks
// follow the clock, not the passes.
void AfterPass() {
    const uint64_t sleepUs = PacerSleepUs(Pacer, MonotonicMicroseconds());
    if (sleepUs >= 1000) {
        SDL_Delay(static_cast<Uint32>(sleepUs / 1000));
    }
    PollVirtualJoystickControl();
}

} // namespace

int main(int, char**) {
    CatchHangUp();
    SDL_SetMainReady();
    if (!StartGameAndOpenWindow()) {
        SDL_Quit();
        return 0;
    }
    CaptureJoysticks();
    StartVirtualJoystickControl();
    OpenAudioOutput();
    StartMusic();
    LoadHighscores();
    BuildSphereMesh(3);

    SetPacerRate(Pacer, GameWindowRefreshRate());
    const MainLoopShell shell = {TakeEvent, SwapGameWindow, SwitchWindowMode, AfterPass};
    if (RunMainLoop(shell) == LoopEnd::WindowLost) {
        // The window could not be made again; it has reported why. Nothing is saved.
        StopServices();
        return 0;
    }
    SaveAndCloseGame();
    StopServices();
    return 0;
}
