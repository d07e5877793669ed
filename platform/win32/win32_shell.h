// What the Win32 shell's parts share besides platform/shell.h: the window procedure, the
// window's handles, the joystick's button messages. Main thread only.
#pragma once

#include "platform/win32/windows_api.h"

#include <cstdint>

// The window procedure of the class "OpenGL": keys into KeyTable, joystick buttons into
// JoystickButtons, minimise into WindowActive, sizes into ResizeView, close into the quit
// message. Runs inside DispatchMessageA and inside the window calls that send messages.
LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The fullscreen game has lost the screen (another program took the focus, or the window was
// minimised): the desktop gets its display mode back and the window goes to the taskbar.
// TakeScreenBack, when the game is active again, sets the mode once more and shows the window
// over the whole screen, or, where the mode is refused now, switches to a window as F1 does.
// Neither does anything for a windowed game. From the window procedure.
void LeaveScreen();
void TakeScreenBack();

// Makes a crash of the game give the desktop its display mode back before the process ends.
// Once, in WinMain.
void GiveBackModeOnEveryWayOut();

// True where the game already runs for this user's session: its window has been brought to
// the front (restored if minimised), and this copy is to end. Two copies would fight over the
// display mode and save over each other's table. First thing in WinMain.
bool HandOverToRunningCopy();

// The current game window and its device context; null while there is none.
HWND GameWindowHandle();
HDC GameDeviceContext();

// JoystickButtons from the button bits of an MM_JOY1BUTTONDOWN / MM_JOY1BUTTONUP wParam.
void ApplyJoystickButtons(WPARAM buttons);

// The millisecond clock from the system (GetTickCount). The game core's GetTickCount forwards
// here from a file that does not see <windows.h>.
uint32_t SystemTickCount();
