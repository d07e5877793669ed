// What the Win32 shell's parts share besides platform/shell.h: the window procedure, the
// window's handles, the joystick's button messages. Main thread only.
#pragma once

#include "platform/win32/windows_api.h"

// The window procedure of the class "OpenGL": keys into KeyTable, joystick buttons into
// JoystickButtons, minimise into WindowActive, sizes into ResizeView, close into the quit
// message. Runs inside DispatchMessageA and inside the window calls that send messages.
LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The current game window and its device context; null while there is none.
HWND GameWindowHandle();
HDC GameDeviceContext();

// JoystickButtons from the button bits of an MM_JOY1BUTTONDOWN / MM_JOY1BUTTONUP wParam.
void ApplyJoystickButtons(WPARAM buttons);

// The millisecond clock from the system (GetTickCount). The game core's GetTickCount forwards
// here from a file that does not see <windows.h>.
uint32_t SystemTickCount();
