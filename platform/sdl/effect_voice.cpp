// The sound-effect voice: start-if-idle on the main thread, resample and mix in the callback.
#include "platform/sdl/effect_voice.h"

EffectVoice SoundEffectVoice;

namespace {

int32_t SampleAt(const WaveSamples& sound, uint32_t index) {
    const uint8_t* p = sound.samples + 2u * index;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

int16_t ClipToInt16(int32_t value) {
    if (value > 32767) {
        return 32767;
    }
    if (value < -32768) {
        return -32768;
    }
    return static_cast<int16_t>(value);
}

} // namespace

bool StartEffect(EffectVoice& voice, const WaveSamples& sound) {
    if (sound.samples == nullptr || sound.sampleCount == 0 || sound.sampleRate == 0) {
        return false;
    }
    if (voice.playing.load(std::memory_order_acquire)) {
        return false;
    }
    voice.sound = sound;
    voice.positionFx = 0;
    voice.playing.store(true, std::memory_order_release);
    return true;
}

void MixEffect(EffectVoice& voice, int16_t* frames, int frameCount, int deviceRate) {
    if (deviceRate <= 0 || !voice.playing.load(std::memory_order_acquire)) {
        return;
    }
    const WaveSamples& sound = voice.sound;
    const uint64_t stepFx =
        (static_cast<uint64_t>(sound.sampleRate) << 32) / static_cast<uint64_t>(deviceRate);
    const uint64_t endFx = static_cast<uint64_t>(sound.sampleCount) << 32;
    uint64_t position = voice.positionFx;
    for (int i = 0; i < frameCount && position < endFx; ++i) {
        const uint32_t index = static_cast<uint32_t>(position >> 32);
        const int32_t fraction = static_cast<int32_t>((position >> 16) & 0xFFFF);
        const int32_t a = SampleAt(sound, index);
        const int32_t b = index + 1 < sound.sampleCount ? SampleAt(sound, index + 1) : 0;
        const int32_t sample =
            a + static_cast<int32_t>((static_cast<int64_t>(b - a) * fraction) >> 16);
        frames[2 * i] = ClipToInt16(frames[2 * i] + sample);
        frames[2 * i + 1] = ClipToInt16(frames[2 * i + 1] + sample);
        position += stepFx;
    }
    voice.positionFx = position;
    if (position >= endFx) {
        voice.playing.store(false, std::memory_order_release);
    }
}
