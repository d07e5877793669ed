// GameWindowProc: the only way input enters the Windows game; and the pump that takes one
// message a pass for it.
#include "game/game_state.h"
#include "platform/key_table.h"
#include "platform/shell.h"
#include "platform/table_saving.h"
#include "platform/win32/win32_shell.h"
#include "render/render.h"

namespace {

// Alt+key and F10 come as system keys: the shared key rule keeps them out of KeyTable, and
// clears an entry whatever way its key comes up.
LRESULT HandleKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int code = static_cast<int>(wParam & 0xFF);
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const bool systemKey = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
    ApplyVirtualKey(code, down, systemKey);
    // System keys go on to the system (Alt+F4, the window menu).
    return systemKey ? DefWindowProcA(window, message, wParam, lParam) : 0;
}

// While the game has the focus, neither the screen saver nor the display's power saving
// starts. Refusing SC_SCREENSAVE and SC_MONITORPOWER no longer does that since Vista; the
// execution state does.
void HoldOffScreenSaver(bool hold) {
    SetThreadExecutionState(hold ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED
                                 : ES_CONTINUOUS);
}

// Keys released while another window has the focus never reach this one: every key counts as
// released when the focus goes, as SDL's keyboard does, or a cursor key would go on turning
// the camera.
void ReleaseAllKeys() {
    for (bool& key : KeyTable) {
        key = false;
    }
}

} // namespace

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // Only minimising stops drawing; a window that has merely lost the focus keeps it.
        WindowActive = HIWORD(wParam) == 0;
        HoldOffScreenSaver(LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0);
        // Minimised (or restored while the game stays the active program, which sends no
        // WM_ACTIVATEAPP): the screen given back or taken again.
        if (HIWORD(wParam) != 0) {
            LeaveScreen();
        } else if (LOWORD(wParam) != WA_INACTIVE) {
            TakeScreenBack();
        }
        return 0;
    case WM_ACTIVATEAPP:
        // Alt-Tab, the Windows key, Win+D, a notification: the fullscreen game gives the screen
        // back and takes it again when it is active once more.
        if (wParam != FALSE) {
            TakeScreenBack();
        } else {
            LeaveScreen();
        }
        return 0;
    case WM_KILLFOCUS:
        ReleaseAllKeys();
        return 0;
    case WM_SYSCOMMAND:
        // No screen saver and no display power saving while the game has the focus (as
        // designed; HoldOffScreenSaver is what works on today's systems).
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) {
            return 0;
        }
        break;
    case WM_CLOSE:
        // Only the quit message: shutdown saves the table before it destroys the window.
        PostQuitMessage(0);
        return 0;
    case WM_ENDSESSION:
        // Logging off or shutting down: the process ends when this returns, before the loop
        // could take a quit message, so the table is saved here, as a quit would save it.
        if (wParam != FALSE) {
            SaveTable();
            LeaveScreen();
        }
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return HandleKey(window, message, wParam, lParam);
    case WM_SIZE:
        ResizeView(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case MM_JOY1BUTTONDOWN:
    case MM_JOY1BUTTONUP:
        ApplyJoystickButtons(wParam);
        return 0;
    case MM_JOY1MOVE:
    case MM_JOY2MOVE:
    case MM_JOY2BUTTONDOWN:
    case MM_JOY2BUTTONUP:
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

ShellEvent ShellTakeEvent() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        return ShellEvent::NoEvent;
    }
    if (message.message == WM_QUIT) {
        return ShellEvent::Quit;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return ShellEvent::Handled;
}
