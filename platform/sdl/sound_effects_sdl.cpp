// The effect voice on Linux: one voice in the SDL audio callback, and the shell's start and
// stop of the audio output it plays on.
#include "platform/sdl/audio_output.h"
#include "platform/sdl/effect_voice.h"
#include "platform/shell.h"

bool ShellPlayWave(const EmbeddedResource&, const WaveSamples& sound) {
    // Without a device nothing would ever end the sound, so it is not started at all.
    if (!AudioOutputIsOpen()) {
        return false;
    }
    return StartEffect(SoundEffectVoice, sound);
}

void StartSound() {
    // Without a device the game runs silently: PlaySoundEffect then starts nothing.
    OpenAudioOutput();
}

void StopSound() {
    CloseAudioOutput();
}
