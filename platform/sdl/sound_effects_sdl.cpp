// PlaySoundEffect for the game core: an embedded WAVE by name onto the one effect voice, and
// the shell's start and stop of the audio output it plays on.
#include "game/platform_calls.h"

#include "platform/sdl/audio_output.h"
#include "platform/sdl/effect_voice.h"
#include "platform/shell.h"
#include "platform/wave_data.h"
#include "resources/embedded_resources.h"

bool PlaySoundEffect(const char* name) {
    const EmbeddedResource* resource = FindEmbeddedResource("WAVE", name);
    if (resource == nullptr) {
        return false;
    }
    WaveSamples sound;
    if (!ParseWave(resource->data, resource->size, &sound)) {
        return false;
    }
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
