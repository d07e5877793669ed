// The game's one window with its OpenGL context, as the program sees it: made in the wanted
// mode with the fallback to a window when the display refuses fullscreen, every failure told
// to the player in the game's own words, and torn down again. The system's side is the shell's
// (platform/shell.h).
#pragma once

#include <cstdint>

// The window title, the same for every window the game makes.
inline constexpr const char* WindowTitle =
    "QUARZMOLCH erlauben sich zu praesentieren: Kesselfass 3D";

// Every window the game makes: a 1024 x 768 client area at 32 bits per pixel.
inline constexpr int32_t WindowWidth = 1024;
inline constexpr int32_t WindowHeight = 768;
inline constexpr int32_t WindowBits = 32;

// Makes the window (ShellOpenWindow), fullscreen when `fullscreen`, and sets Fullscreen. When
// the display refuses the mode the player is asked whether to play in a window instead; No
// ends with "Program Will Now Close.". Then ResizeView and InitRenderState. False after a
// failure, which has been cleaned up and reported in a message box. Main thread: at start-up
// and on every F1 switch.
bool OpenGameWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                    bool fullscreen);

// Tears the window down (ShellCloseWindow), then drops the font's display lists, which went
// with the context. Safe on a partly made or absent window. Main thread: at shutdown, before
// an F1 re-open, and after a failure inside OpenGameWindow.
void CloseGameWindow();
