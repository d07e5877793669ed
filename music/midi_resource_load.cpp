// MidiPlayer's loading from the program's embedded resources (type "MIDI").
#include <cstdio>

#include "music/midi_player.h"
#include "resources/embedded_resources.h"

bool MidiPlayer::LoadFromResource(uint16_t id, NotifyWindow* window) {
    // As with the platform's resource names, "#N" names the resource numbered N.
    char name[8];
    std::snprintf(name, sizeof name, "#%u", static_cast<unsigned>(id));
    return LoadFromResourceName(name, window);
}

bool MidiPlayer::LoadFromResourceName(const char* name, NotifyWindow* window) {
    const EmbeddedResource* resource = FindEmbeddedResource("MIDI", name);
    if (resource == nullptr || resource->data == nullptr || resource->size > 0xFFFFFFFF) {
        return false;
    }
    // The resource is used in place for the whole run; it is never copied or freed.
    return LoadFromMemory(resource->data, static_cast<uint32_t>(resource->size), window);
}
