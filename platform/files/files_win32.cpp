// The score store's file primitives on Windows. Paths are wide strings from the UTF-8 the game
// hands over to every call, so that a folder named outside the ANSI code page works as any.
// ReplaceFileW keeps the replaced file's attributes and security.
#include "platform/files/files_win32.h"

#include "game/file_calls.h"

// The build defines these for the GL headers; <windows.h> brings its own.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#include <windows.h>

#include <string>

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Handle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<FileHandle>(file);
}

// An empty name where `utf8` is not valid UTF-8: every call below refuses it.
std::wstring Wide(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length) !=
        length) {
        return {};
    }
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// False for a name that UTF-8 cannot carry (a lone surrogate half, which Windows allows).
bool ToUtf8(const std::wstring& wide, std::string& utf8) {
    const int wideLength = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), wideLength,
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return false;
    }
    utf8.assign(static_cast<size_t>(length), '\0');
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), wideLength, utf8.data(),
                               length, nullptr, nullptr) == length;
}

HANDLE OpenExisting(const char* path, DWORD access, DWORD share) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool IsDiskFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The final path of an open file, links followed, as Windows spells it ("\\?\C:\...").
bool FinalPathOf(HANDLE file, std::wstring& path) {
    constexpr DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, flags);
    if (needed == 0) {
        return false;
    }
    path.assign(needed, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, path.data(), needed, flags);
    if (length == 0 || length >= needed) {
        return false;
    }
    path.resize(length);
    return true;
}

DWORD AttributesOf(const char* path) {
    const std::wstring wide = Wide(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

// The reparse tag of the entry itself, not of what it leads to; 0 where it cannot be read.
DWORD ReparseTagOf(const char* path) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) {
        return 0;
    }
    // No access asked: opening the entry itself neither follows a link nor fetches a cloud
    // file's data.
    const HANDLE entry =
        CreateFileW(wide.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE) {
        return 0;
    }
    FILE_ATTRIBUTE_TAG_INFO info = {};
    const bool read = GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &info, sizeof info);
    CloseHandle(entry);
    return read ? info.ReparseTag : 0;
}

// Tried again by the store: another program has the file open for a moment. A file that a
// scanner holds with a pending delete answers "access denied".
bool IsBusy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

PlaceResult PlaceResultOf(DWORD error) {
    return IsBusy(error) ? PlaceResult::Busy : PlaceResult::Failed;
}

// A move that overwrites, within one folder one step on NTFS.
bool MoveOver(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// The old file that ReplaceFileW set aside under the backup name; a scanner may still hold it.
void RemoveBackup(const std::wstring& backup) {
    for (int attempt = 0; attempt < 5 && !DeleteFileW(backup.c_str()); ++attempt) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            return;
        }
        Sleep(50);
    }
}

// ReplaceFileW with a backup name never leaves the target without a file: when it cannot
// move the new file in, the old one keeps its name (ERROR_UNABLE_TO_MOVE_REPLACEMENT) or
// lies under the backup name (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) and is moved back here.
// Without a backup name the first of these would leave the old file deleted.
PlaceResult ReplaceExisting(const std::wstring& from, const std::wstring& to) {
    const std::wstring backup = from + L".old";
    if (ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        RemoveBackup(backup);
        return PlaceResult::Done;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        return PlaceResult::Busy;
    }
    if (IsBusy(error)) {
        return PlaceResult::Busy;
    }
    // Some file systems (FAT, some network shares) refuse ReplaceFileW with both files left
    // as they were; a plain move over the old file does what it can there.
    return MoveOver(from, to) ? PlaceResult::Done : PlaceResultOf(GetLastError());
}

} // namespace

PathKind KindOfEntry(uint32_t attributes, uint32_t reparseTag) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return PathKind::Other;
    }
    // Symbolic links and junctions stand for another name. Every other reparse point on a file
    // (a OneDrive or other cloud placeholder, a deduplicated or compressed file) is the file
    // itself, read and written as any.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag)) {
        return PathKind::Link;
    }
    return PathKind::RegularFile;
}

PathKind LookAtPath(const char* path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? PathKind::Missing : PathKind::Unknown;
    }
    const DWORD tag = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? ReparseTagOf(path) : 0;
    const PathKind kind = KindOfEntry(attributes, tag);
    if (kind != PathKind::RegularFile) {
        return kind;
    }
    // A device or pipe of that name is no disk file; opening without access acts on nothing.
    const HANDLE file = OpenExisting(path, 0, ShareAll);
    if (file == INVALID_HANDLE_VALUE) {
        return PathKind::Unknown;
    }
    const bool disk = IsDiskFile(file);
    CloseHandle(file);
    return disk ? PathKind::RegularFile : PathKind::Other;
}

bool ResolveLinks(const char* path, std::string& finalPath) {
    // Every existing file gets its full final path: Wine shows a Unix link as a plain file
    // and follows it only when opening.
    const HANDLE file = OpenExisting(path, 0, ShareAll);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::wstring resolved;
    const bool found = IsDiskFile(file) && FinalPathOf(file, resolved);
    CloseHandle(file);
    return found && ToUtf8(resolved, finalPath);
}

FileHandle OpenRegularFileForReading(const char* path) {
    const HANDLE file = OpenExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file != INVALID_HANDLE_VALUE && !IsDiskFile(file)) {
        CloseHandle(file);
        return NoFile;
    }
    return FromHandle(file);
}

size_t ReadFromFile(FileHandle file, uint8_t* buffer, size_t capacity) {
    const DWORD wanted = capacity < MAXDWORD ? static_cast<DWORD>(capacity) : MAXDWORD;
    DWORD got = 0;
    if (!ReadFile(Handle(file), buffer, wanted, &got, nullptr)) {
        return 0;
    }
    return got;
}

bool IsMarkedReadOnly(const char* path) {
    const DWORD attributes = AttributesOf(path);
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool MayOpenForWriting(const char* path) {
    // The system's own answer covers security and a read-only medium; OPEN_EXISTING truncates
    // nothing. A file that another program holds for a moment (a scanner, an indexer) may be
    // written all the same: the replace waits for it.
    const HANDLE file = OpenExisting(path, GENERIC_WRITE, ShareAll);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    }
    CloseHandle(file);
    return true;
}

FileHandle CreateUnnamedFileBeside(const char* path, bool replacesExisting) {
    // Windows has no files without a name; the store names its temporary file at once.
    (void)path, (void)replacesExisting;
    return NoFile;
}

NameResult NameUnnamedFile(FileHandle file, const char* path) {
    (void)file, (void)path;
    return NameResult::Failed;
}

NameResult CreateNewFile(const char* path, bool replacesExisting, FileHandle& file) {
    // The new file gets its folder's security; ReplaceFileW gives it the replaced file's.
    (void)replacesExisting;
    file = NoFile;
    const std::wstring wide = Wide(path);
    if (wide.empty()) {
        return NameResult::Failed;
    }
    const HANDLE made = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made != INVALID_HANDLE_VALUE) {
        file = FromHandle(made);
        return NameResult::Done;
    }
    // A folder of that name answers "access denied".
    const DWORD error = GetLastError();
    const bool taken =
        error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
    return taken ? NameResult::NameTaken : NameResult::Failed;
}

bool CarryOverAccess(FileHandle file, const char* replacedPath) {
    // ReplaceFileW carries the attributes and security over when it puts the file in place.
    (void)file, (void)replacedPath;
    return true;
}

size_t WriteToFile(FileHandle file, const uint8_t* data, size_t size) {
    const DWORD wanted = size < MAXDWORD ? static_cast<DWORD>(size) : MAXDWORD;
    DWORD put = 0;
    if (!WriteFile(Handle(file), data, wanted, &put, nullptr)) {
        return 0;
    }
    return put;
}

bool SyncFile(FileHandle file) {
    return FlushFileBuffers(Handle(file)) != 0;
}

bool CloseFile(FileHandle file) {
    return CloseHandle(Handle(file)) != 0;
}

bool RemoveFile(const char* path) {
    // A folder of that name is refused by DeleteFileW.
    const std::wstring wide = Wide(path);
    return !wide.empty() && DeleteFileW(wide.c_str()) != 0;
}

PlaceResult PutFileInPlace(const char* newPath, const char* targetPath, bool targetExists) {
    const std::wstring from = Wide(newPath);
    const std::wstring to = Wide(targetPath);
    if (from.empty() || to.empty()) {
        return PlaceResult::Failed;
    }
    if (targetExists) {
        return ReplaceExisting(from, to);
    }
    return MoveOver(from, to) ? PlaceResult::Done : PlaceResultOf(GetLastError());
}

bool SyncFolderOf(const char* path) {
    // Windows has no call to sync a folder.
    (void)path;
    return true;
}
