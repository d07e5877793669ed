// What the files of the web shell tell each other: the page (our own HTML and page.js, reached
// through EM_JS), the events the browser's callbacks queue for ShellTakeEvent, the storage of
// the table, the sound and music. The test page (tests/page/) builds on it too.
#pragma once

#include <cstdint>

// --- The page -----------------------------------------------------------------------------

// Puts a new canvas into the page's game area, `width` x `height` pixels when `fixedSize`,
// otherwise as large as the area (the browser window) at the display's pixel density.
void PageMakeCanvas(int32_t width, int32_t height, bool fixedSize);
void PageRemoveCanvas();

// From now on every canvas is made at the size asked for, not the browser window's.
void UseFixedCanvasSize();

// The canvas's size in pixels.
void PageCanvasSize(int32_t* width, int32_t* height);

// Asks the browser to show the game area fullscreen, or to leave fullscreen. The answer comes
// later: a refusal through PageTakeFullscreenRefusal, a change through the events.
void PageRequestFullscreen();
void PageExitFullscreen();
bool PageIsFullscreen();

// True once after the browser refused (or could not be asked for) fullscreen.
bool PageTakeFullscreenRefusal();

// Shows a message box in the page, over the game, until the player closes it.
void PageShowBox(const char* caption, const char* text);

// Shows a line under the game that stays (the storage notice).
void PageShowNotice(const char* text);

// The game has ended: the page offers to play again.
void PageShowPlayAgain();

// Sets the page's title.
void PageSetTitle(const char* title);

// Marks the page for whoever waits on it: the first menu frame is drawn.
void PageMarkFirstFrame();

// Runs the game in the page: the callbacks installed, the storage loaded, then the program
// frame by frame from the browser's frame callback. The page's main, once.
void RunPage();

// --- Events ---------------------------------------------------------------------------------

// Installs the key, resize and fullscreen callbacks that queue events for ShellTakeEvent.
// Once, at start-up.
void InstallPageCallbacks();

// Queues a resize to the canvas's current size (a new canvas, a changed window).
void QueueCanvasResize();

// Queues a key going down or up, or a whole short press (held until a tick has seen it), as
// the keyboard's callbacks do: for the fingers and the page's own buttons.
void QueueKey(int virtualKey, bool down);
void QueueKeyPress(int virtualKey);

// Queues the loss of the canvas's WebGL context, once the browser can give it back: the
// program makes the window again.
void QueueContextLost();

// Lets go of every key and finger that is down (the page lost the focus).
void ReleaseEverything();

// The game has ended: keys are left to the page (its "Play again" button) from now on.
void HandKeysToPage();

// Whether this browser lets the page go fullscreen at all (not an iPhone's).
bool PageCanGoFullscreen();

// --- Touch and the page's controls (web_touch.cpp, page_input.js) ------------------------------

// Installs the page's pointer, text-input and control listeners, which call the game's
// exported functions below. Once, by InstallPageCallbacks.
void InstallTouchCallbacks();

// Lets go of every finger that is down.
void ReleaseFingers();

// Tells the page whether a game runs and which screen shows, so that it offers the controls
// that fit (the corner control in a game, the text input on the name screen) and holds the
// screen awake during a game. Every drawing pass; the page hears only changes.
void UpdatePageControls();

// Reads the first gamepad's buttons into JoystickButtons while the joystick is captured.
// Once per drawing pass.
void PollGamepad();

// --- Storage --------------------------------------------------------------------------------

// Mounts the browser's storage where the game keeps scores.dat, makes it the working folder
// and starts loading what an earlier visit stored. At start-up, before the game starts.
void StartStorage();

// True once the stored files are loaded (or the browser refused them).
bool StorageSettled();

// --- Sound and music (page_sound.js) ---------------------------------------------------------

// The song is wanted: the page loads its synthesizer and SoundFont once its audio runs (after
// the player's first key press or click). StopMusic's side: the synthesizer falls silent.
void PageWantMusic();
void PageStopMusic();

// The synthesizer's sample rate once it has its SoundFont, 0 until then (or for good where it
// could not be had).
int PageSynthesizerRate();

// The audio output's frame now: frames played since the page's audio started.
double PageAudioFrame();

// Hands `count` short MIDI messages to the synthesizer, each to sound at its audio frame:
// `framesAndMessages` holds (frame, message) pairs in time order.
void PageHandMusicEvents(const double* framesAndMessages, int count);

// Drops what was handed and has not sounded yet, and ends the sounding notes.
void PageSilenceMusic();

// The page's `songskip` parameter in seconds (a test hook), 0 without one.
double PageSongSkipSeconds();

// Plays the handed events of the song and delivers its stream notifications, once the song's
// output is ready. Every frame, when the loop finds no event waiting.
void PumpMusic();
