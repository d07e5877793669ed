// The game's one audio output: an SDL device opened at start-up whose callback asks the music
// renderer (if one is registered) for the stereo frames, then mixes the sound-effect voice on top.
#pragma once

#include <cstdint>

// Fills `frameCount` interleaved stereo frames (left, right; signed 16-bit) at the device's
// sample rate. Runs on SDL's audio thread inside the callback: it must not allocate, log, do
// I/O or wait on the game. `ctx` is the pointer given to SetMusicRenderer.
using MusicRenderFn = void (*)(int16_t* frames, int frameCount, void* ctx);

// Opens the audio device: stereo signed 16-bit, 44100 Hz asked for (SDL may give another rate,
// see AudioOutputSampleRate), and starts the callback. False, and the game runs silent, when
// there is no audio device. Called once at start-up on the main thread, before the music starts.
bool OpenAudioOutput();

// Stops the callback and closes the device; the registered music renderer is dropped. Called
// once at shutdown on the main thread, after the music has stopped. Safe when nothing was opened.
void CloseAudioOutput();

// True between a successful OpenAudioOutput and CloseAudioOutput.
bool AudioOutputIsOpen();

// The open device's sample rate in frames per second, 0 when no device is open. The music
// code reads it before it sets up its synthesizer.
int AudioOutputSampleRate();

// Registers the music renderer, or with `render` == nullptr removes it (the callback then
// starts from silence). Called on the main thread by the music code. The hand-over locks the
// device briefly: once this returns, the callback uses only the new pair, so the old `ctx`
// may be freed. Works before the device is open too (the pair is kept for it).
void SetMusicRenderer(MusicRenderFn render, void* ctx);
