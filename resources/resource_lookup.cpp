// Look-up of the embedded resources by type and name (case-insensitive) or by number.
#include "resources/embedded_resources.h"

extern const EmbeddedResource EmbeddedResourceTable[];
extern const size_t EmbeddedResourceCount;

namespace {

// ASCII-only folding: resource names are plain ASCII, and the C locale's tolower would make
// the match depend on the process locale.
char FoldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameNameIgnoringCase(const char* a, const char* b) {
    while (*a != '\0' && FoldCase(*a) == FoldCase(*b)) {
        ++a;
        ++b;
    }
    return *a == '\0' && *b == '\0';
}

} // namespace

const EmbeddedResource* FindEmbeddedResource(const char* type, const char* name) {
    if (type == nullptr || name == nullptr) {
        return nullptr;
    }
    for (size_t i = 0; i < EmbeddedResourceCount; ++i) {
        const EmbeddedResource& entry = EmbeddedResourceTable[i];
        if (SameNameIgnoringCase(entry.type, type) && SameNameIgnoringCase(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

const EmbeddedResource* FindEmbeddedResourceById(const char* type, int32_t id) {
    if (type == nullptr || id <= 0) {
        return nullptr;
    }
    for (size_t i = 0; i < EmbeddedResourceCount; ++i) {
        const EmbeddedResource& entry = EmbeddedResourceTable[i];
        if (entry.id == id && SameNameIgnoringCase(entry.type, type)) {
            return &entry;
        }
    }
    return nullptr;
}

const EmbeddedResource* EmbeddedResourceList(size_t* count) {
    if (count != nullptr) {
        *count = EmbeddedResourceCount;
    }
    return EmbeddedResourceTable;
}
