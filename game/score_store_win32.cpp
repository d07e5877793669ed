// The score file's system side on Windows: a read of disk files only, and a save through a
// temporary file of our own making, flushed, then put in the old file's place with ReplaceFileA
// (which keeps the old file's attributes and security) or MoveFileExA for a new one.
#include "game/score_store.h"

// The build defines these for the GL headers; <windows.h> brings its own.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Each name already taken (a leftover file or folder) costs one more guess.
constexpr int TemporaryNameAttempts = 64;

// The file a save replaces: the path itself, or the file that a link there leads to.
struct SaveTarget {
    std::string path;
    bool exists = false;
};

bool IsDiskFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The final path of an existing file, links followed; false for anything but a disk file.
bool ResolveExisting(const char* path, std::string& resolved) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char buffer[MAX_PATH * 4];
    const DWORD length = IsDiskFile(file)
                             ? GetFinalPathNameByHandleA(file, buffer, sizeof buffer,
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                             : 0;
    CloseHandle(file);
    if (length == 0 || length >= sizeof buffer) {
        return false;
    }
    resolved.assign(buffer, length);
    return true;
}

// False for anything the save must leave alone: a folder or device of that name, a link that
// leads nowhere, a path that cannot be looked at.
bool ResolveTarget(const char* path, SaveTarget& target) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        target.path = path;
        return error == ERROR_FILE_NOT_FOUND;
    }
    target.exists = true;
    return ResolveExisting(path, target.path);
}

// The read-only attribute is the owner's "keep this"; the system's own answer to opening for
// writing covers the rest (security, sharing, a read-only medium). Nothing is truncated.
bool MayReplace(const SaveTarget& target) {
    if (!target.exists) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(target.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    HANDLE file = CreateFileA(target.path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

// Eight hex digits that differ between processes, calls and attempts. They need not be
// secret: CREATE_NEW refuses any name that is already taken.
std::string TemporaryName(const SaveTarget& target, int attempt) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    unsigned long long mixed = GetCurrentProcessId() * 0x9E3779B97F4A7C15ull;
    mixed ^= static_cast<unsigned long long>(counter.QuadPart);
    mixed ^= static_cast<unsigned long long>(attempt + 1) * 0xC2B2AE3D27D4EB4Full;
    mixed ^= mixed >> 29;
    char text[9];
    std::snprintf(text, sizeof text, "%08lx",
                  static_cast<unsigned long>((mixed ^ (mixed >> 32)) & 0xFFFFFFFFu));
    return target.path + ".tmp-" + text;
}

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    size_t total = 0;
    while (total < size) {
        DWORD put = 0;
        if (!WriteFile(file, data + total, static_cast<DWORD>(size - total), &put, nullptr) ||
            put == 0) {
            return false;
        }
        total += put;
    }
    return true;
}

// A new file beside the target under a unique name, written and flushed to the disk (the
// move must not reach the disk before the data it names). Nothing is left of it on failure.
bool WriteTemporaryFile(const SaveTarget& target, const uint8_t* data, size_t size,
                        std::string& name) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        name = TemporaryName(target, attempt);
        file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE ||
            (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
             error != ERROR_ACCESS_DENIED)) {
            break;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool written = WriteAll(file, data, size) && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != 0;
    if (!written || !closed) {
        DeleteFileA(name.c_str());
        return false;
    }
    return true;
}

} // namespace

size_t ReadRegularFile(const char* path, uint8_t* buffer, size_t capacity) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    size_t total = 0;
    if (IsDiskFile(file)) {
        while (total < capacity) {
            DWORD got = 0;
            if (!ReadFile(file, buffer + total, static_cast<DWORD>(capacity - total), &got,
                          nullptr) ||
                got == 0) {
                break;
            }
            total += got;
        }
    }
    CloseHandle(file);
    return total;
}

bool ReplaceRegularFile(const char* path, const uint8_t* data, size_t size) {
    SaveTarget target;
    if (!ResolveTarget(path, target) || !MayReplace(target)) {
        return false;
    }
    std::string temporary;
    if (!WriteTemporaryFile(target, data, size, temporary)) {
        return false;
    }
    const bool replaced =
        (target.exists && ReplaceFileA(target.path.c_str(), temporary.c_str(), nullptr,
                                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
        MoveFileExA(temporary.c_str(), target.path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        DeleteFileA(temporary.c_str());
    }
    return replaced;
}
