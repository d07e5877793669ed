// The whole program on a shell: start-up in its fixed order, the main loop (one event per pass,
// otherwise draw, swap, the F1 switch, the catch-up ticks, the quit check, the pacing) and the
// shutdown with its save. Written once for every shell; a shell's entry only calls RunGame.
#pragma once

// Runs the game from start-up to shutdown and returns the process's exit code: 0 on every way
// out, also when a window could not be made (then nothing is saved). Main thread, once.
int RunGame();

// The pieces of RunGame, for a shell whose system calls it once per frame rather than
// letting it loop (a browser's frame callback).

// Start-up: Fullscreen on, joystick buttons up, player 0 "VOV1ER0U", the clock read for the
// first tick, the first window, the joystick, sound, music, the table from scores.dat, the
// sphere mesh. False when the first window could not be made (reported; nothing to undo).
bool StartGame();

enum class PassResult {
    EventHandled, // one event was taken: run the next pass at once
    Drawn,        // a frame was drawn, F1 and the ticks handled: pace, then the next pass
    Quit,         // the quit message or "Quit game": EndGame(true)
    WindowLost,   // the window could not be made again after F1 (reported): EndGame(false)
};

// One pass of the main loop.
PassResult RunPass();

// How long to wait before the next pass after a drawn one, in ms: the rest of the display's
// refresh interval where the buffer swap does not wait for it.
unsigned PassSleepMs();

// Shutdown: with `save`, the table saved and the window torn down; then music, sound and
// joystick released.
void EndGame(bool save);
