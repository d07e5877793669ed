// The score file's store: what may be read, and how a file is replaced whole (through a
// temporary file of our own making beside it), written once over the systems' file primitives.
#include "game/score_store.h"

#include "game/file_calls.h"

#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Each name already taken (a leftover file or folder, a planted link) costs one more guess.
constexpr int TemporaryNameAttempts = 64;

// A virus scanner, indexer or sync client that opens a file just written holds it for a
// moment, and a replace or a removal fails meanwhile. Such a call is tried again after 50,
// 100, 200, 400 and 800 ms: about a second and a half in all, once, at the end of a run.
constexpr int BusyAttempts = 6;
constexpr int FirstBusyWaitMs = 50;

void WaitBeforeAttempt(int attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(FirstBusyWaitMs << (attempt - 1)));
}

// The temporary file of a failed save goes, also while another program holds it for a moment;
// whatever else has taken its name meanwhile (a folder) stays.
void RemoveTemporary(const std::string& name) {
    for (int attempt = 0; attempt < BusyAttempts; ++attempt) {
        if (attempt > 0) {
            WaitBeforeAttempt(attempt);
        }
        if (RemoveFile(name.c_str()) || LookAtPath(name.c_str()) != PathKind::RegularFile) {
            return;
        }
    }
}

// The file a save replaces: the path itself, or the regular file that a link there names.
struct SaveTarget {
    std::string path;
    bool exists = false;
};

enum class Lookup { Missing, RegularFile, LeftAlone };

// Anything but a regular file or a link to one is left alone: a folder, FIFO, device or
// socket, a link that leads nowhere (or in a loop), a path that cannot be looked at. A table
// shared through a link stays shared: `found` is the file the link names.
Lookup FindRegularFile(const char* path, std::string& found) {
    const PathKind kind = LookAtPath(path);
    if (kind == PathKind::Missing) {
        found = path;
        return Lookup::Missing;
    }
    if (kind != PathKind::RegularFile && kind != PathKind::Link) {
        return Lookup::LeftAlone;
    }
    if (!ResolveLinks(path, found) || LookAtPath(found.c_str()) != PathKind::RegularFile) {
        return Lookup::LeftAlone;
    }
    return Lookup::RegularFile;
}

size_t ReadUpTo(FileHandle file, uint8_t* buffer, size_t capacity) {
    size_t total = 0;
    while (total < capacity) {
        const size_t got = ReadFromFile(file, buffer + total, capacity - total);
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

bool WriteAll(FileHandle file, const uint8_t* data, size_t size) {
    size_t total = 0;
    while (total < size) {
        const size_t put = WriteToFile(file, data + total, size - total);
        if (put == 0) {
            return false;
        }
        total += put;
    }
    return true;
}

// A replace ignores the replaced file's own permissions, so they are asked here. An
// administrator could write a file its owner marked read-only, but the owner has said "keep
// this", and so the save keeps it.
bool MayReplace(const SaveTarget& target) {
    if (!target.exists) {
        return true;
    }
    const char* path = target.path.c_str();
    return !IsMarkedReadOnly(path) && MayOpenForWriting(path);
}

// Eight hex digits that differ between processes, calls and attempts. They need not be
// secret: the exclusive create refuses any name that is already taken, and a clash only costs
// another attempt.
std::string TemporaryName(const SaveTarget& target, int attempt) {
    static uint64_t calls = 0;
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    uint64_t mixed = static_cast<uint64_t>(std::chrono::nanoseconds(wall).count());
    mixed ^= static_cast<uint64_t>(std::chrono::nanoseconds(steady).count()) * 0x9E3779B97F4A7C15u;
    // Where the system places this program's data differs from one process to the next.
    mixed ^= static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&calls)) << 7;
    mixed ^= (++calls + static_cast<uint64_t>(attempt)) * 0xC2B2AE3D27D4EB4Fu;
    mixed ^= mixed >> 29;
    char text[9];
    std::snprintf(text, sizeof text, "%08" PRIx32, static_cast<uint32_t>(mixed ^ (mixed >> 32)));
    return target.path + ".tmp-" + text;
}

// The new file takes the replaced one's permissions before it holds any data, and the data is
// on the disk before the file takes the target's place.
bool FillAndSync(FileHandle file, const SaveTarget& target, const uint8_t* data, size_t size) {
    return (!target.exists || CarryOverAccess(file, target.path.c_str())) &&
           WriteAll(file, data, size) && SyncFile(file);
}

// Where the system can, the file is written and synced without a name, so that a kill
// meanwhile leaves nothing behind, and named only just before it takes the target's place.
// False, with nothing left, where there are no unnamed files or the naming fails; the caller
// then names it at once.
bool WriteUnnamedTemporary(const SaveTarget& target, const uint8_t* data, size_t size,
                           std::string& name) {
    const FileHandle file = CreateUnnamedFileBeside(target.path.c_str(), target.exists);
    if (file == NoFile) {
        return false;
    }
    bool named = false;
    if (FillAndSync(file, target, data, size)) {
        NameResult result = NameResult::NameTaken;
        for (int attempt = 0; attempt < TemporaryNameAttempts && result == NameResult::NameTaken;
             ++attempt) {
            name = TemporaryName(target, attempt);
            result = NameUnnamedFile(file, name.c_str());
        }
        named = result == NameResult::Done;
    }
    if (!CloseFile(file) && named) {
        RemoveTemporary(name);
        named = false;
    }
    return named;
}

// A new file made beside the target under a unique name; the exclusive create never opens what
// is already there and never follows a link, so a planted link or a leftover only costs
// another name. Nothing is left of it on failure.
bool WriteNamedTemporary(const SaveTarget& target, const uint8_t* data, size_t size,
                         std::string& name) {
    FileHandle file = NoFile;
    NameResult result = NameResult::NameTaken;
    for (int attempt = 0; attempt < TemporaryNameAttempts && result == NameResult::NameTaken;
         ++attempt) {
        name = TemporaryName(target, attempt);
        result = CreateNewFile(name.c_str(), target.exists, file);
    }
    if (result != NameResult::Done) {
        return false;
    }
    const bool filled = FillAndSync(file, target, data, size);
    if (!CloseFile(file) || !filled) {
        RemoveTemporary(name);
        return false;
    }
    return true;
}

PlaceResult PutInPlaceWhileBusy(const std::string& temporary, const SaveTarget& target) {
    PlaceResult result = PlaceResult::Busy;
    for (int attempt = 0; attempt < BusyAttempts && result == PlaceResult::Busy; ++attempt) {
        if (attempt > 0) {
            WaitBeforeAttempt(attempt);
        }
        result = PutFileInPlace(temporary.c_str(), target.path.c_str(), target.exists);
    }
    return result;
}

// After a replace that failed, the temporary file goes only where the old table still stands:
// should the old one be gone all the same, the new one is put in its place, and where even
// that fails the temporary file stays, the one whole copy left.
bool SettleFailedReplace(const std::string& temporary, const SaveTarget& target) {
    if (target.exists && LookAtPath(target.path.c_str()) == PathKind::Missing) {
        const SaveTarget emptied{target.path, false};
        return PutInPlaceWhileBusy(temporary, emptied) == PlaceResult::Done &&
               SyncFolderOf(target.path.c_str());
    }
    RemoveTemporary(temporary);
    return false;
}

} // namespace

size_t ReadRegularFile(const char* path, uint8_t* buffer, size_t capacity) {
    // Looked at before opening: opening a FIFO waits for a writer, a device may act on it.
    std::string found;
    if (FindRegularFile(path, found) != Lookup::RegularFile) {
        return 0;
    }
    const FileHandle file = OpenRegularFileForReading(found.c_str());
    if (file == NoFile) {
        return 0;
    }
    const size_t size = ReadUpTo(file, buffer, capacity);
    CloseFile(file);
    return size;
}

bool ReplaceRegularFile(const char* path, const uint8_t* data, size_t size) {
    SaveTarget target;
    const Lookup lookup = FindRegularFile(path, target.path);
    target.exists = lookup == Lookup::RegularFile;
    if (lookup == Lookup::LeftAlone || !MayReplace(target)) {
        return false;
    }
    std::string temporary;
    if (!WriteUnnamedTemporary(target, data, size, temporary) &&
        !WriteNamedTemporary(target, data, size, temporary)) {
        return false;
    }
    if (PutInPlaceWhileBusy(temporary, target) != PlaceResult::Done) {
        return SettleFailedReplace(temporary, target);
    }
    return SyncFolderOf(target.path.c_str());
}
