// Look-up of the program's resources on Windows: the module's own resources, compiled in from
// the resource script made from resource_list.cmake, found with FindResourceA, LoadResource,
// LockResource and SizeofResource. Resource names and types are matched without regard to
// case by the system itself, and "#N" names the resource numbered N.
#include "resources/embedded_resources.h"

#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

// One found resource with its own copies of the names it is listed under. Entries are never
// removed, so the pointers handed out stay valid for the whole run.
struct FoundResource {
    EmbeddedResource resource{};
    HRSRC handle = nullptr;
    char type[16] = {};
    char name[32] = {};
};

std::mutex FoundLock;
std::vector<FoundResource*> Found;

void CopyUpper(char* to, size_t size, const char* from) {
    size_t i = 0;
    for (; i + 1 < size && from[i] != '\0'; ++i) {
        const char c = from[i];
        to[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    to[i] = '\0';
}

// The loaded resource `handle`, listed once however often and under whichever spelling it is
// asked for. Null when it cannot be loaded.
const EmbeddedResource* Remember(HRSRC handle, const char* type, const char* name, int32_t id) {
    const std::lock_guard<std::mutex> hold(FoundLock);
    for (const FoundResource* found : Found) {
        if (found->handle == handle) {
            return &found->resource;
        }
    }
    HMODULE module = GetModuleHandleA(nullptr);
    HGLOBAL loaded = LoadResource(module, handle);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return nullptr;
    }
    // Resource data lives as long as the module: nothing to unlock or free.
    auto* found = new FoundResource;
    found->handle = handle;
    CopyUpper(found->type, sizeof found->type, type);
    CopyUpper(found->name, sizeof found->name, name);
    found->resource = {found->type, found->name, id, static_cast<const uint8_t*>(data),
                       SizeofResource(module, handle)};
    Found.push_back(found);
    return &found->resource;
}

} // namespace

const EmbeddedResource* FindEmbeddedResource(const char* type, const char* name) {
    if (type == nullptr || name == nullptr) {
        return nullptr;
    }
    HRSRC handle = FindResourceA(GetModuleHandleA(nullptr), name, type);
    if (handle == nullptr) {
        return nullptr;
    }
    const int32_t id = name[0] == '#' ? std::atoi(name + 1) : 0;
    return Remember(handle, type, name, id);
}

const EmbeddedResource* FindEmbeddedResourceById(const char* type, int32_t id) {
    if (type == nullptr || id <= 0 || id > 0xFFFF) {
        return nullptr;
    }
    HRSRC handle = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), type);
    if (handle == nullptr) {
        return nullptr;
    }
    char name[8];
    wsprintfA(name, "#%d", static_cast<int>(id));
    return Remember(handle, type, name, id);
}

namespace {

BOOL CALLBACK RememberNamed(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR) {
    if (IS_INTRESOURCE(name)) {
        FindEmbeddedResourceById(type, static_cast<int32_t>(reinterpret_cast<uintptr_t>(name)));
    } else {
        FindEmbeddedResource(type, name);
    }
    (void)module;
    return TRUE;
}

} // namespace

const EmbeddedResource* EmbeddedResourceList(size_t* count) {
    // The game's own types, listed once: every song and sound effect of the module.
    static const std::vector<EmbeddedResource> list = [] {
        for (const char* type : {"MIDI", "WAVE"}) {
            EnumResourceNamesA(GetModuleHandleA(nullptr), type, RememberNamed, 0);
        }
        const std::lock_guard<std::mutex> hold(FoundLock);
        std::vector<EmbeddedResource> entries;
        for (const FoundResource* found : Found) {
            entries.push_back(found->resource);
        }
        return entries;
    }();
    if (count != nullptr) {
        *count = list.size();
    }
    return list.data();
}
