// PlaySoundEffect for the game core: an embedded WAVE by name onto the one effect voice.
#include "game/platform_calls.h"

#include "platform/audio_output.h"
#include "platform/effect_voice.h"
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
