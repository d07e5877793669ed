// The game core's calls out to the file system, made by the score store (score_store.cpp) only.
// Each system defines them (platform/files/, library kf_files); a test may link its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// All run on the main thread: the load at start-up, the save at normal exit. Paths are UTF-8.
// Nothing here waits on what it opens, and nothing makes a file through a link. A new file
// that `replacesExisting` stays private to this user until CarryOverAccess gives it the old
// one's access; otherwise it gets a new file's default access.

// An open file as the system knows it; NoFile where there is none.
using FileHandle = intptr_t;
inline constexpr FileHandle NoFile = -1;

// What a name stands for, links not followed.
enum class PathKind {
    Missing,     // nothing of that name
    RegularFile, // a file on a disk
    Link,        // a symbolic link, whatever it leads to
    Other,       // a folder, FIFO, device or socket
    Unknown,     // it cannot be looked at (no access to the folder, a name too long)
};

// The outcome of making or naming a new file.
enum class NameResult { Done, NameTaken, Failed };

// The outcome of putting a new file in a target's place. Whatever it is but Done, the target
// is as it was (the old file, or nothing where there was none) and the new file keeps its name.
enum class PlaceResult {
    Done,
    Busy,   // another program holds one of the files for a moment (a virus scanner, an indexer,
            // a sync client): worth another try shortly
    Failed, // anything else
};

// Load and save, first: what `path` names, without following a link or opening anything.
PathKind LookAtPath(const char* path);

// Load and save of an existing file: where it lies, links followed; false for a dangling link.
bool ResolveLinks(const char* path, std::string& finalPath);

// Load: the file open for reading; NoFile if it cannot be opened or is not a regular file.
FileHandle OpenRegularFileForReading(const char* path);

// Load: reads up to `capacity` bytes; how many it read, 0 at the end or on an error.
size_t ReadFromFile(FileHandle file, uint8_t* buffer, size_t capacity);

// Save over a file: true where its owner marked it read-only, or where it cannot be looked at.
bool IsMarkedReadOnly(const char* path);

// Save over a file: true where the system lets this user open it for writing (it opens nothing).
bool MayOpenForWriting(const char* path);

// Save: a new file without a name in the folder of `path`; NoFile where the system has none.
FileHandle CreateUnnamedFileBeside(const char* path, bool replacesExisting);

// Save: names such a file `path`; NameTaken where something of that name exists.
NameResult NameUnnamedFile(FileHandle file, const char* path);

// Save: creates `path` exclusively, open for writing in `file`; NameTaken where the name is used.
NameResult CreateNewFile(const char* path, bool replacesExisting, FileHandle& file);

// Save over a file: gives `file` the permissions (and owner, where allowed) of `replacedPath`.
bool CarryOverAccess(FileHandle file, const char* replacedPath);

// Save: writes up to `size` bytes; how many it wrote, 0 on an error.
size_t WriteToFile(FileHandle file, const uint8_t* data, size_t size);

// Save, after writing: true once the file's data is on the disk.
bool SyncFile(FileHandle file);

// Load and save, last: closes the file; false where the system reports a failure.
bool CloseFile(FileHandle file);

// Save that failed: removes the temporary file at `path` (never a folder); true when it is gone.
// False too while another program holds it; the store then tries again.
bool RemoveFile(const char* path);

// Save: `newPath` takes the place of `targetPath` in one step.
PlaceResult PutFileInPlace(const char* newPath, const char* targetPath, bool targetExists);

// Save, last: true once the folder of `path` keeps its new name across a crash (or cannot do more).
bool SyncFolderOf(const char* path);
