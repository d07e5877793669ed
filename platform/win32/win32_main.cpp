// The Windows game's entry, WinMain: start-up in its fixed order, the shared main loop on the
// message queue (one message per pass), and the shutdown with the save.
#include "game/game_state.h"
#include "game/score_file.h"
#include "platform/game_window.h"
#include "platform/main_loop.h"
#include "platform/music_start.h"
#include "platform/tick_clock.h"
#include "platform/win32/win32_shell.h"
#include "render/render.h"

namespace {

PassPacer Pacer;
LARGE_INTEGER CounterFrequency;

// PeekMessageA with removal, any window, any message: one message per pass.
bool TakeMessage(bool& quit) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (message.message == WM_QUIT) {
        quit = true;
        return true;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

bool SwitchWindowMode() {
    if (!ReopenInOtherMode()) {
        return false;
    }
    CaptureJoysticks();
    SetPacerRate(Pacer, GameWindowRefreshRate());
    return true;
}

uint64_t MonotonicMicroseconds() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const uint64_t ticks = static_cast<uint64_t>(counter.QuadPart);
    const uint64_t frequency = static_cast<uint64_t>(CounterFrequency.QuadPart);
    return ticks / frequency * 1000000u + ticks % frequency * 1000000u / frequency;
}

// Where the swap does not wait for the display, sleeps out the rest of the refresh interval,
// so that an idle menu does not spin a core. Ticks follow the clock, not the passes.
void PaceThePass() {
    const uint64_t sleepUs = PacerSleepUs(Pacer, MonotonicMicroseconds());
    if (sleepUs >= 1000) {
        Sleep(static_cast<DWORD>(sleepUs / 1000));
    }
}

// Everything outside the window that the start-up began, on every way out after it.
void StopServices() {
    StopMusic();
    timeEndPeriod(1);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    QueryPerformanceFrequency(&CounterFrequency);
    // Millisecond sleeps for the pacing instead of the default 15.6 ms.
    timeBeginPeriod(1);
    if (!StartGameAndOpenWindow()) {
        timeEndPeriod(1);
        return 0;
    }
    CaptureJoysticks();
    StartMusic();
    LoadHighscores();
    BuildSphereMesh(3);

    SetPacerRate(Pacer, GameWindowRefreshRate());
    const MainLoopShell shell = {TakeMessage, SwapGameWindow, SwitchWindowMode, PaceThePass};
    if (RunMainLoop(shell) == LoopEnd::WindowLost) {
        // The window could not be made again; it has reported why. Nothing is saved.
        StopServices();
        return 0;
    }
    SaveAndCloseGame();
    StopServices();
    // Every normal end is a success, whichever message the loop took last.
    return 0;
}
