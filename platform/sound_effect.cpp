// PlaySoundEffect for the game core on every shell: the embedded WAVE found by name, checked,
// and handed to the shell's one effect voice.
#include "game/platform_calls.h"

#include "platform/shell.h"
#include "platform/wave_data.h"
#include "resources/embedded_resources.h"

bool PlaySoundEffect(const char* name) {
    const EmbeddedResource* resource = FindEmbeddedResource("WAVE", name);
    WaveSamples sound;
    // A damaged resource is refused here rather than handed to the system's sound.
    if (resource == nullptr || !ParseWave(resource->data, resource->size, &sound)) {
        return false;
    }
    return ShellPlayWave(*resource, sound);
}
