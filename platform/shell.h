// What a shell (platform/sdl/ on Linux, platform/win32/ on Windows, platform/web/ in a page)
// provides to the shared program code: the window, its events, the clocks, message boxes, the
// joystick, the voice of the sound effects, the music's stream output and what follows a save.
// Chosen at link time; the shared code (game_program.cpp, game_window.cpp, game_music.cpp,
// sound_effect.cpp, table_saving.cpp) owns the order of things, the fallbacks and every text,
// so a shell only does what its system does differently. tests/support/null_shell.cpp answers
// all of it for the program's tests. Everything here runs on the main thread.
#pragma once

#include <cstdint>

class MidiStreamOut;
struct EmbeddedResource;
struct WaveSamples;

// --- The window -------------------------------------------------------------------------

// How an attempt to make the window ended. Each failure names the step that failed; the shared
// code shows that step's message.
enum class WindowResult {
    Opened,
    ModeRefused,        // the display does not run width x height x bits
    ClassFailed,        // the window class (or the system's video) could not be set up
    NoDisplay,          // there is no display to show a window on
    CreateFailed,       // the window itself
    NoDeviceContext,    // its device context
    NoPixelFormat,      // no double-buffered RGBA format with a 16-bit depth buffer
    PixelFormatRefused, // the format could not be set
    NoRenderContext,    // the GL context could not be made
    ContextNotCurrent,  // ... or not made current
};

// Makes the game's window with a `width` x `height` client area: for `fullscreen`, with the
// display switched to that mode at `bits` colour bits, the window covering it and the cursor
// hidden; otherwise at the desktop's top-left corner. Double-buffered RGBA with a 16-bit depth
// buffer; the context made current; the window shown and focused. On any result but Opened
// everything made so far has been closed again (ShellCloseWindow) and nothing was shown.
// Called by OpenGameWindow at start-up and on every F1 switch.
WindowResult ShellOpenWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                             bool fullscreen);

// The steps of tearing the window down whose failure is reported to the player.
enum class CloseStep {
    ReleaseContext,
    DeleteContext,
    ReleaseDeviceContext,
    DestroyWindow,
    UnregisterWindowClass
};

// Tears the window down in reverse order: the desktop's display mode and the cursor back (where
// the window had changed them), context released, device context released, window destroyed.
// A step that fails is reported through ReportCloseFailure and the teardown goes on. Safe on a
// partly made or absent window. Called by CloseGameWindow and by ShellOpenWindow on failure.
void ShellCloseWindow();

// Shows the frame drawn since the last swap. Main loop, every drawing pass.
void ShellSwapBuffers();

// The refresh rate of the display the window is on, in Hz; 0 when unknown. For the pacing.
int ShellRefreshRate();

// Defined by the shared code: shows the "SHUTDOWN ERROR" box of a failed teardown step.
void ReportCloseFailure(CloseStep step);

// --- Events -----------------------------------------------------------------------------

enum class ShellEvent {
    NoEvent, // nothing was waiting
    Handled, // one event or window message was taken and handled
    Quit,    // the quit message: the loop ends with the normal shutdown
    // The system left fullscreen by itself (a browser on Escape, or refusing the request): the
    // program's Fullscreen follows, so that the next F1 asks for fullscreen again.
    FullscreenLeft,
    // The window's GL context was lost and may be made again (a browser gives a page's WebGL
    // context back after a GPU reset): the window is made again in its mode, as F1 makes it,
    // with its textures, font and lists; the game and the music go on meanwhile.
    ContextLost,
};

// Takes at most one waiting event and handles it: keys into KeyTable, joystick buttons into
// JoystickButtons, minimise and restore into WindowActive, sizes into ResizeView, a close
// request into the quit that a later call returns. Main loop, at the start of every pass.
ShellEvent ShellTakeEvent();

// --- Time -------------------------------------------------------------------------------
// (The millisecond clock of the game core, GetTickCount, is a shell's too: game/platform_calls.h.)

// A monotonic counter and its ticks per second, for the pacing of drawing passes.
uint64_t ShellCounter();
uint64_t ShellCounterFrequency();

// Sleeps about `ms` milliseconds. The pacing, where the buffer swap does not wait.
void ShellSleep(uint32_t ms);

// --- Message boxes ----------------------------------------------------------------------

// Icons of the boxes, as the texts they go with were designed.
enum class BoxIcon { Exclamation, Stop, Information };

// Shows `text` under `caption` with an OK button and no owner window, and waits for it. Where
// no box can be shown (no display) the caption and text go to stderr instead.
void ShellShowBox(const char* caption, const char* text, BoxIcon icon);

// Asks `text` under `caption` with Yes and No buttons and the exclamation icon (Return
// answers Yes, Escape No); true for Yes. Where nobody can be asked: stderr, and Yes.
bool ShellAskYesNo(const char* caption, const char* text);

// --- Joystick, sound and music ------------------------------------------------------------

// Captures the first joystick for the current window, so that its buttons reach
// JoystickButtons. Without a joystick nothing happens. At start-up and after every F1 switch.
void CaptureJoysticks();

// Lets the joysticks go. At shutdown.
void ReleaseJoysticks();

// Opens the output the sound effects play on; without one the game runs silently. At
// start-up, after the window; StopSound at shutdown, after the music has stopped.
void StartSound();
void StopSound();

// Starts the embedded WAVE `resource`, whose samples `sound` has found valid, on the one
// effect voice: asynchronous, never stopping an effect that plays (then the request is
// dropped), never waiting. False when it does not start. From PlaySoundEffect.
bool ShellPlayWave(const EmbeddedResource& resource, const WaveSamples& sound);

// The stream output the song plays through, the shell's own for the whole run. Called once,
// while the program's MidiPlayer is made during static initialisation, so that the output is
// made first and outlives the player.
MidiStreamOut* ShellMusicOutput();

// Opens what the output sounds through (an audio device, a synthesizer); failures are silent
// and the song's load then fails. At start-up, after StartSound; ShellStopMusicOutput at
// shutdown, after the song has stopped.
void ShellStartMusicOutput();
void ShellStopMusicOutput();

// True once the output can take the song: at once on a desktop; in a page only once the
// browser lets it sound and its synthesizer has loaded. Asked every frame until then.
bool ShellMusicOutputReady();

// --- The table ------------------------------------------------------------------------------

// True where the program can end at any moment with no time left to save (a page closed or
// reloaded): the table is then saved as soon as it changes, not only at the end.
bool ShellSavesTableOnChange();

// Called after every save of scores.dat; a page writes its storage through. Main thread.
void ShellTableSaved();

// True once after another copy of the game has stored the table where this one keeps it (a
// page's other tab): the shared code then loads it anew, after saving its own changes (which
// merge with it). False where copies learn of each other only when they save (the desktop).
bool ShellTableStoredElsewhere();
