// <windows.h> and WinMM's <mmsystem.h> for the Win32 shell. The build defines WINGDIAPI,
// APIENTRY and CALLBACK so that the GL headers need no <windows.h>; the system's own
// definitions take their place here. Never included together with game/platform_calls.h,
// whose GetTickCount is the game's own.
#pragma once

#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#include <windows.h>

#include <mmsystem.h>
