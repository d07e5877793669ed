// The one sound-effect voice: a request starts it only while it is idle, and the audio
// callback mixes it into the stereo output, resampled to the device rate, until it runs out.
#pragma once

#include "platform/wave_data.h"

#include <atomic>
#include <cstdint>

// The voice's state. The main thread writes the sound fields only while `playing` is false
// and then publishes them by setting it; the audio callback reads them while it is true and
// clears it when the sound has ended. No lock is needed between the two.
struct EffectVoice {
    WaveSamples sound;
    uint64_t positionFx = 0; // read position in source samples, 32.32 fixed point
    std::atomic<bool> playing{false};
};

// The game's voice, mixed by the audio output's callback.
extern EffectVoice SoundEffectVoice;

// Starts `sound` on `voice` from its first sample. False, and nothing changes, while the voice
// is still playing: the new request is dropped, never queued or mixed. Main thread.
bool StartEffect(EffectVoice& voice, const WaveSamples& sound);

// Adds the voice to `frames` (`frameCount` interleaved stereo frames at `deviceRate` Hz),
// the mono sound on both channels, linearly resampled, clipped to 16 bits. Runs in the audio
// callback: no allocation, no waiting.
void MixEffect(EffectVoice& voice, int16_t* frames, int frameCount, int deviceRate);
