// The game's one window with its OpenGL context: fullscreen with a display-mode change or
// windowed, made and torn down with the game's own failure messages. On SDL (game_window.cpp)
// and on Win32 and WGL (win32/game_window_win32.cpp).
#pragma once

#include <cstdint>

// The window title, the same for every window the game makes.
inline constexpr const char* WindowTitle =
    "QUARZMOLCH erlauben sich zu praesentieren: Kesselfass 3D";

// Makes the window with a `width` x `height` client area, `bits` colour depth, double buffer
// and 16-bit depth buffer; fullscreen (switching the display to that mode) when `fullscreen`,
// else at the desktop's top-left corner. Makes the context current, shows and focuses the
// window, then calls ResizeView and InitRenderState. Sets Fullscreen; asks to go windowed when
// the mode is refused. False after a failure that has been reported in a message box (or on
// stderr) and cleaned up. Main thread: at start-up and on every F1 switch.
bool OpenGameWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                    bool fullscreen);

// Tears the window down in reverse: desktop mode and cursor back, context released, window
// destroyed, font lists dropped; SDL's video itself stays up until SDL_Quit. Safe on a partly
// made or absent window. Main thread: at shutdown, before an F1 re-open, and after a failure
// inside OpenGameWindow.
void CloseGameWindow();

// Shows the frame drawn since the last swap. Main loop, every drawing pass.
void SwapGameWindow();

// SDL's id of the current window (0 when none; the SDL shell only), to tell its events from
// a closed window's.
uint32_t GameWindowId();

// Refresh rate of the display the window is on, in Hz; 0 when unknown.
int GameWindowRefreshRate();
