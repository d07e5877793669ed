// Kesselfass 3D's entry on Windows: WinMain around the shared program, with millisecond timer
// resolution for the whole run, one copy at a time, and the desktop's mode given back should
// the game crash.
#include "platform/game_program.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/windows_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (HandOverToRunningCopy()) {
        return 0;
    }
    GiveBackModeOnEveryWayOut();
    // Millisecond sleeps for the pacing instead of the default 15.6 ms.
    timeBeginPeriod(1);
    const int exitCode = RunGame();
    timeEndPeriod(1);
    return exitCode;
}
