// What the files of the web shell tell each other: the page (our own HTML and page.js, reached
// through EM_JS), the events the browser's callbacks queue for ShellTakeEvent, the storage of
// the table, the sound and music, and the shot mode.
#pragma once

#include <cstdint>

// --- The page -----------------------------------------------------------------------------

// Puts a new canvas into the page's game area, `width` x `height` pixels when `fixedSize`,
// otherwise as large as the area (the browser window) at the display's pixel density.
void PageMakeCanvas(int32_t width, int32_t height, bool fixedSize);
void PageRemoveCanvas();

// From now on every canvas is made at the size asked for (the shot mode).
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

// The page's `shot` parameter, or an empty string; `buffer` holds `size` bytes.
void PageShotName(char* buffer, int32_t size);

// The page's `bench` parameter (a sausage length in cm), or a negative number without one.
float PageBenchLength();

// Marks the page for whoever waits on it: the shot is drawn, or the first menu frame is.
void PageMarkShotDrawn();
void PageMarkFirstFrame();

// --- Events ---------------------------------------------------------------------------------

// Installs the key, resize and fullscreen callbacks that queue events for ShellTakeEvent.
// Once, at start-up.
void InstallPageCallbacks();

// Queues a resize to the canvas's current size (a new canvas, a changed window).
void QueueCanvasResize();

// Reads the first gamepad's buttons into JoystickButtons while the joystick is captured.
// Once per drawing pass.
void PollGamepad();

// --- Storage --------------------------------------------------------------------------------

// Mounts the browser's storage where the game keeps scores.dat, makes it the working folder
// and starts loading what an earlier visit stored. At start-up, before the game starts.
void StartStorage();

// True once the stored files are loaded (or the browser refused them).
bool StorageSettled();

// Writes the working folder through to the browser's storage. After every save of the table.
void PersistStorage();

// Saves the table when it differs from what was last loaded or saved, and writes it through:
// a page may be closed or reloaded at any moment, with no time left to save. Once per pass.
void SaveTableIfChanged();

// Takes the table as it is now as the one last saved. After the table is loaded.
void NoteTableSaved();

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

// Plays the handed events of the song and delivers its stream notifications. Every frame.
void PumpMusic();

// --- The frame-time measure -------------------------------------------------------------

// Draws a running game with a sausage of `length` cm every frame, `frames` times after a
// warm-up, and puts the median times onto the page. False when no window can be made.
bool StartBench(float length, int frames);

// --- Time ------------------------------------------------------------------------------------

// Holds GetTickCount at `ms` (the shot mode's fixed clock).
void FreezeClock(uint32_t ms);
