// MidiPlayer's loading from the program's embedded resources (type "MIDI").
#include <string>

#include "music/midi_player.h"
#include "resources/embedded_resources.h"

bool MidiPlayer::LoadFromResource(uint16_t id, NotifyWindow* window) {
    // As with the platform's resource names, "#114" names the resource numbered 114.
    std::string name = "#" + std::to_string(id);
    return LoadFromResourceName(name.c_str(), window);
}

bool MidiPlayer::LoadFromResourceName(const char* name, NotifyWindow* window) {
    const EmbeddedResource* resource = FindEmbeddedResource("MIDI", name);
    if (resource == nullptr || resource->data == nullptr || resource->size > 0xFFFFFFFF) {
        return false;
    }
    // The resource is used in place for the whole run; it is never copied or freed.
    return LoadFromMemory(resource->data, static_cast<uint32_t>(resource->size), window);
}
