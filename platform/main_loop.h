// The main loop that both shells run: one window message per pass; otherwise draw and swap,
// the F1 switch, the catch-up ticks and the quit check, in that order.
#pragma once

#include <cstdint>

// Every window the game makes: a 1024 x 768 client area at 32 bits per pixel.
inline constexpr int32_t WindowWidth = 1024;
inline constexpr int32_t WindowHeight = 768;
inline constexpr int32_t WindowBits = 32;

// What a shell does for the loop.
struct MainLoopShell {
    // Takes at most one pending window message or event and handles it. True when one was
    // taken; `quit` is set when it was the quit message, which ends the loop.
    bool (*takeMessage)(bool& quit);
    // Shows the frame drawn since the last swap (also called while minimised, drawing nothing).
    void (*swapBuffers)();
    // F1: closes the window and opens it again in the other mode. False when the new window
    // could not be made (the failure has been reported).
    bool (*switchWindowMode)();
    // Called at the end of every drawing pass: pacing, polling. May be null.
    void (*afterPass)();
};

enum class LoopEnd { Quit, WindowLost };

// Runs passes until the quit message, "Quit game" (QuitRequested) or a lost window. Ticks
// follow GetTickCount through RunDueTicks, whatever the number of passes. Main thread.
LoopEnd RunMainLoop(const MainLoopShell& shell);

// Closes the window and opens it in the other mode (Fullscreen inverted), with all of its GL
// state made anew. False when the new window could not be made. The shells' F1 switch.
bool ReopenInOtherMode();

// The first steps of start-up, before anything slow: the first window fullscreen, joystick
// buttons up, player 0 "VOV1ER0U", and the clock read for the first tick, so that the time
// the window's textures take is caught up by ticks. Then opens the first window; false when
// it could not be made (reported; the program then ends with exit code 0, saving nothing).
bool StartGameAndOpenWindow();

// The normal end after the loop: the table saved, then the window torn down.
void SaveAndCloseGame();
