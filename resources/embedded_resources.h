// The data compiled into the executable (the song, the six sound effects, the icon) and their
// look-up by type and name or by number, in the manner of a Windows module's resources.
#pragma once

#include <cstddef>
#include <cstdint>

// One embedded file. `data` stays valid for the whole run.
struct EmbeddedResource {
    const char* type;    // "WAVE", "MIDI" or "ICON"
    const char* name;    // upper-case name ("FLUSH"), or "#N" for the resource numbered N
    int32_t id;          // the number of a numbered resource, 0 for a named one
    const uint8_t* data; // the file's bytes
    size_t size;         // bytes at `data`
};

// Finds the resource of `type` named `name`, both compared without regard to case ("flush"
// finds FLUSH). Null when there is none. Used by the sound effects and the icon.
const EmbeddedResource* FindEmbeddedResource(const char* type, const char* name);

// Finds the numbered resource `id` of `type` (the song: "MIDI", SongResourceId of
// resource_ids.h). Null when there is none.
const EmbeddedResource* FindEmbeddedResourceById(const char* type, int32_t id);

// Every embedded resource, for tools and tests; `count` receives the number of entries.
const EmbeddedResource* EmbeddedResourceList(size_t* count);
