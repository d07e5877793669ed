// The program's fixed order on any shell: start-up, the main loop's passes, the F1 switch, the
// pacing and the shutdown with its save.
#include "platform/game_program.h"

#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/platform_calls.h"
#include "platform/game_music.h"
#include "platform/game_window.h"
#include "platform/shell.h"
#include "platform/table_saving.h"
#include "platform/tick_clock.h"
#include "render/render.h"

namespace {

PassPacer Pacer;

enum class PassResult {
    EventHandled, // one event was taken: run the next pass at once
    Drawn,        // a frame was drawn, F1 and the ticks handled: the frame is done
    Quit,         // the quit message or "Quit game": shutdown with the save
    WindowLost,   // the window could not be made again after F1 (reported): no save
};

// The monotonic counter in microseconds. Split into whole seconds and the rest, because a
// nanosecond counter times a million would overflow 64 bits after five hours of uptime.
uint64_t MonotonicMicroseconds() {
    const uint64_t frequency = ShellCounterFrequency();
    const uint64_t counter = ShellCounter();
    return counter / frequency * 1000000u + counter % frequency * 1000000u / frequency;
}

// The window and all of its GL state are made again, in the other mode for F1; the game, the
// music and the sphere mesh carry on.
bool ReopenWindow(bool switchMode) {
    CloseGameWindow();
    if (switchMode) {
        Fullscreen = !Fullscreen;
    }
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

PassResult RunPass() {
    switch (ShellTakeEvent()) {
    case ShellEvent::Quit:
        return PassResult::Quit;
    case ShellEvent::Handled:
        return PassResult::EventHandled;
    case ShellEvent::FullscreenLeft:
        Fullscreen = false;
        return PassResult::EventHandled;
    case ShellEvent::ContextLost:
        return ReopenWindow(false) ? PassResult::EventHandled : PassResult::WindowLost;
    case ShellEvent::NoEvent:
        break;
    }
    DrawAndSwap();
    if (KeyTable[Key::F1]) {
        KeyTable[Key::F1] = false;
        if (!ReopenWindow(true)) {
            return PassResult::WindowLost;
        }
    }
    RunDueTicks(GetTickCount(), GameTick);
    return QuitRequested ? PassResult::Quit : PassResult::Drawn;
}

// With `save`, the table saved and the window torn down; then music, sound and joystick
// released.
void EndProgram(bool save) {
    if (save) {
        SaveTable();
        CloseGameWindow();
    }
    StopMusic();
    StopSound();
    ReleaseJoysticks();
}

} // namespace

bool StartProgram() {
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
    LoadTable();
    BuildSphereMesh(GameSphereLevels);
    SetPacerRate(Pacer, ShellRefreshRate());
    return true;
}

FrameResult RunFrame() {
    StartSongWhenReady();
    for (;;) {
        switch (RunPass()) {
        case PassResult::EventHandled:
            continue;
        case PassResult::Drawn:
            SaveTableIfChanged();
            return FrameResult::Running;
        case PassResult::Quit:
            EndProgram(true);
            return FrameResult::Ended;
        case PassResult::WindowLost:
            EndProgram(false);
            return FrameResult::Ended;
        }
    }
}

unsigned FrameSleepMs() {
    return static_cast<unsigned>(PacerSleepUs(Pacer, MonotonicMicroseconds()) / 1000);
}

int RunGame() {
    if (!StartProgram()) {
        return 0;
    }
    while (RunFrame() == FrameResult::Running) {
        // Ticks follow the clock, not the frames: sleeping here only spares the core.
        const unsigned sleepMs = FrameSleepMs();
        if (sleepMs > 0) {
            ShellSleep(sleepMs);
        }
    }
    return 0;
}
