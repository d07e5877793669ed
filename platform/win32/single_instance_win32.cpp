// One copy of the game at a time on Windows: a named mutex of the player's session marks the
// running copy; a second start brings that copy's window to the front and ends.
#include "platform/game_window.h"
#include "platform/win32/win32_shell.h"

namespace {

// "Local\": per session, so that another user logged on at the same time plays a copy of
// their own.
constexpr const char* RunningMutexName = "Local\\Kesselfass3D.Running";
constexpr const char* ClassName = "OpenGL";
// The running copy may still be making its window (textures, fonts) when the second starts.
constexpr int WindowWaitSteps = 100;
constexpr DWORD WindowWaitStepMs = 100;

HWND FindRunningWindow() {
    for (int step = 0; step < WindowWaitSteps; ++step) {
        const HWND window = FindWindowA(ClassName, WindowTitle);
        if (window != nullptr) {
            return window;
        }
        Sleep(WindowWaitStepMs);
    }
    return nullptr;
}

} // namespace

bool HandOverToRunningCopy() {
    // Held, never closed, until the process ends: the system releases it then, even after a
    // crash.
    const HANDLE running = CreateMutexA(nullptr, FALSE, RunningMutexName);
    if (running == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    CloseHandle(running);
    const HWND window = FindRunningWindow();
    if (window != nullptr) {
        // A minimised fullscreen game takes the screen back once it is active again.
        if (IsIconic(window)) {
            ShowWindow(window, SW_RESTORE);
        }
        SetForegroundWindow(window);
    }
    return true;
}
