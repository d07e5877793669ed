// The whole program on a shell: start-up in its fixed order, the frames of the main loop (one
// event per pass, otherwise draw, swap, the F1 switch, the catch-up ticks, the quit check) and
// the shutdown with its save. Written once for every shell: a desktop's entry calls RunGame,
// a page calls StartProgram and then RunFrame from the browser's frame callback.
#pragma once

// Runs the game from start-up to shutdown, frame after frame with the pacing's sleep between
// them, and returns the process's exit code: 0 on every way out, also when a window could not
// be made (then nothing is saved). Main thread, once.
int RunGame();

// Start-up: Fullscreen on, joystick buttons up, player 0 "VOV1ER0U", the clock read for the
// first tick, the first window, the joystick, sound, music, the table from scores.dat, the
// sphere mesh. False when the first window could not be made (reported; nothing to undo).
bool StartProgram();

enum class FrameResult {
    Running, // a frame was drawn, F1 and the ticks handled: the next frame after the pacing
    Ended,   // the program has shut down (saved, unless a window was lost): no more frames
};

// One frame of the main loop: passes run, each taking one event, until one draws; then the
// table is saved where the shell saves every change. On the quit message or "Quit game" the
// shutdown runs with its save; on a window lost at the F1 switch (reported) without it.
FrameResult RunFrame();

// How long to wait before the next frame, in ms: the rest of the display's refresh interval
// where the buffer swap does not wait for it.
unsigned FrameSleepMs();
