// The SDL audio device: music renderer first, then the sound-effect voice, in one callback.
#include "platform/sdl/audio_output.h"

#include "platform/sdl/effect_voice.h"

#include <SDL.h>

#include <cstring>

namespace {

constexpr int WantedRate = 44100;
constexpr int WantedFrames = 1024; // ~23 ms at 44.1 kHz: short enough for effects to feel on time

SDL_AudioDeviceID AudioDevice = 0;
int DeviceRate = 0;
bool AudioSubsystemStarted = false;

// Read by the callback under SDL's device lock, written under it by SetMusicRenderer.
MusicRenderFn MusicRenderer = nullptr;
void* MusicContext = nullptr;

void FillAudio(void*, Uint8* stream, int byteCount) {
    int16_t* frames = reinterpret_cast<int16_t*>(stream);
    const int frameCount = byteCount / static_cast<int>(2 * sizeof(int16_t));
    if (MusicRenderer != nullptr) {
        MusicRenderer(frames, frameCount, MusicContext);
    } else {
        std::memset(stream, 0, static_cast<size_t>(byteCount));
    }
    MixEffect(SoundEffectVoice, frames, frameCount, DeviceRate);
}

} // namespace

bool OpenAudioOutput() {
    if (AudioDevice != 0) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    AudioSubsystemStarted = true;
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = WantedRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = WantedFrames;
    wanted.callback = FillAudio;
    SDL_AudioSpec got;
    // Only the rate and buffer size may differ; SDL converts anything else to stereo S16, the
    // one layout the callback writes.
    AudioDevice =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &got,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (AudioDevice == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioSubsystemStarted = false;
        return false;
    }
    DeviceRate = got.freq;
    SDL_PauseAudioDevice(AudioDevice, 0);
    return true;
}

void CloseAudioOutput() {
    if (AudioDevice != 0) {
        SDL_CloseAudioDevice(AudioDevice);
        AudioDevice = 0;
    }
    DeviceRate = 0;
    MusicRenderer = nullptr;
    MusicContext = nullptr;
    // An effect cut off by the close must not block the next device's voice.
    SoundEffectVoice.playing.store(false, std::memory_order_release);
    if (AudioSubsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioSubsystemStarted = false;
    }
}

bool AudioOutputIsOpen() {
    return AudioDevice != 0;
}

int AudioOutputSampleRate() {
    return AudioDevice != 0 ? DeviceRate : 0;
}

void SetMusicRenderer(MusicRenderFn render, void* ctx) {
    if (AudioDevice != 0) {
        SDL_LockAudioDevice(AudioDevice);
    }
    MusicRenderer = render;
    MusicContext = ctx;
    if (AudioDevice != 0) {
        SDL_UnlockAudioDevice(AudioDevice);
    }
}
