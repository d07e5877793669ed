// The program's fixed order on any shell: start-up, the main loop's passes, the F1 switch, the
// pacing and the shutdown with its save.
#include "platform/game_program.h"

#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/platform_calls.h"
#include "game/score_file.h"
#include "platform/game_window.h"
#include "platform/shell.h"
#include "platform/tick_clock.h"
#include "render/render.h"

namespace {

PassPacer Pacer;

// The monotonic counter in microseconds. Split into whole seconds and the rest, because a
// nanosecond counter times a million would overflow 64 bits after five hours of uptime.
uint64_t MonotonicMicroseconds() {
    const uint64_t frequency = ShellCounterFrequency();
    const uint64_t counter = ShellCounter();
    return counter / frequency * 1000000u + counter % frequency * 1000000u / frequency;
}

// The window and all of its GL state are made again in the other mode; the game, the music
// and the sphere mesh carry on.
bool SwitchWindowMode() {
    CloseGameWindow();
    Fullscreen = !Fullscreen;
    if (!OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, Fullscreen)) {
        return false;
    }
    CaptureJoysticks();
    SetPacerRate(Pacer, ShellRefreshRate());
    return true;
}

void DrawAndSwap() {
    // Minimised: nothing is drawn, but the swap still comes, as it always has.
    if (WindowActive && !DrawFrame()) {
        QuitRequested = true;
        return;
    }
    ShellSwapBuffers();
}

} // namespace

bool StartGame() {
    Fullscreen = true;
    for (bool& button : JoystickButtons) {
        button = false;
    }
    AddPlayer("VOV1ER0U");
    // Read before anything slow: the time the window's textures take is caught up by ticks.
    NextTickTime = GetTickCount();
    if (!OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, Fullscreen)) {
        return false;
    }
    CaptureJoysticks();
    StartSound();
    StartMusic();
    LoadHighscores();
    BuildSphereMesh(3);
    SetPacerRate(Pacer, ShellRefreshRate());
    return true;
}

PassResult RunPass() {
    switch (ShellTakeEvent()) {
    case ShellEvent::Quit:
        return PassResult::Quit;
    case ShellEvent::Handled:
        return PassResult::EventHandled;
    case ShellEvent::NoEvent:
        break;
    }
    DrawAndSwap();
    if (KeyTable[Key::F1]) {
        KeyTable[Key::F1] = false;
        if (!SwitchWindowMode()) {
            return PassResult::WindowLost;
        }
    }
    RunDueTicks(GetTickCount(), GameTick);
    return QuitRequested ? PassResult::Quit : PassResult::Drawn;
}

unsigned PassSleepMs() {
    return static_cast<unsigned>(PacerSleepUs(Pacer, MonotonicMicroseconds()) / 1000);
}

void EndGame(bool save) {
    if (save) {
        SaveHighscores();
        CloseGameWindow();
    }
    StopMusic();
    StopSound();
    ReleaseJoysticks();
}

int RunGame() {
    if (!StartGame()) {
        return 0;
    }
    for (;;) {
        const PassResult result = RunPass();
        if (result == PassResult::Quit || result == PassResult::WindowLost) {
            EndGame(result == PassResult::Quit);
            return 0;
        }
        if (result == PassResult::Drawn) {
            // Ticks follow the clock, not the passes: sleeping here only spares the core.
            const unsigned sleepMs = PassSleepMs();
            if (sleepMs > 0) {
                ShellSleep(sleepMs);
            }
        }
    }
}
