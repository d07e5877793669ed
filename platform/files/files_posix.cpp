// The score store's file primitives on POSIX systems (Linux, and the web build's file system):
// plain POSIX calls, with Linux's unnamed files (O_TMPFILE) where the headers offer them.
#include "game/file_calls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t PermissionBits = 0777;
constexpr mode_t WriteBits = 0222;
// A new file that stands in for an existing one is private until it gets that one's mode.
constexpr mode_t PrivateMode = 0600;
// A brand-new file gets what the umask (and a folder's default ACL) leave of this, as fopen's.
constexpr mode_t NewFileMode = 0666;

int Descriptor(FileHandle file) {
    return static_cast<int>(file);
}

mode_t ModeForNewFile(bool replacesExisting) {
    return replacesExisting ? PrivateMode : NewFileMode;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

PathKind LookAtPath(const char* path) {
    struct stat entry {};
    if (lstat(path, &entry) != 0) {
        return errno == ENOENT ? PathKind::Missing : PathKind::Unknown;
    }
    if (S_ISLNK(entry.st_mode)) {
        return PathKind::Link;
    }
    return S_ISREG(entry.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

bool ResolveLinks(const char* path, std::string& finalPath) {
    struct stat entry {};
    if (lstat(path, &entry) != 0) {
        return false;
    }
    if (!S_ISLNK(entry.st_mode)) {
        finalPath = path;
        return true;
    }
    char* resolved = realpath(path, nullptr);
    if (resolved == nullptr) {
        return false;
    }
    finalPath = resolved;
    std::free(resolved);
    return true;
}

FileHandle OpenRegularFileForReading(const char* path) {
    // Non-blocking, should something other than a regular file have taken the name since it
    // was looked at: a FIFO then opens at once, and is turned away below.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return NoFile;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return NoFile;
    }
    return fd;
}

size_t ReadFromFile(FileHandle file, uint8_t* buffer, size_t capacity) {
    ssize_t got = 0;
    do {
        got = read(Descriptor(file), buffer, capacity);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

bool IsMarkedReadOnly(const char* path) {
    struct stat info {};
    return stat(path, &info) != 0 || (info.st_mode & WriteBits) == 0;
}

bool MayOpenForWriting(const char* path) {
    // The effective ids, as open would use them.
    return faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
}

FileHandle CreateUnnamedFileBeside(const char* path, bool replacesExisting) {
#ifdef O_TMPFILE
    const int fd = open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                        ModeForNewFile(replacesExisting));
    return fd < 0 ? NoFile : fd;
#else
    (void)path, (void)replacesExisting;
    return NoFile;
#endif
}

NameResult NameUnnamedFile(FileHandle file, const char* path) {
#ifdef O_TMPFILE
    // linkat never follows a link at the new name.
    const std::string self = "/proc/self/fd/" + std::to_string(Descriptor(file));
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0) {
        return NameResult::Done;
    }
    return errno == EEXIST ? NameResult::NameTaken : NameResult::Failed;
#else
    (void)file, (void)path;
    return NameResult::Failed;
#endif
}

NameResult CreateNewFile(const char* path, bool replacesExisting, FileHandle& file) {
    // O_EXCL never opens what is already there, and with O_NOFOLLOW never follows a link.
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        ModeForNewFile(replacesExisting));
    if (fd < 0) {
        file = NoFile;
        return errno == EEXIST ? NameResult::NameTaken : NameResult::Failed;
    }
    file = fd;
    return NameResult::Done;
}

bool CarryOverAccess(FileHandle file, const char* replacedPath) {
    struct stat old {};
    if (stat(replacedPath, &old) != 0) {
        return false;
    }
    // The owner and group where this user may set them (an administrator may; others keep the
    // group if they belong to it), and always the permission bits.
    const int fd = Descriptor(file);
    [[maybe_unused]] const bool ownerKept = fchown(fd, old.st_uid, old.st_gid) == 0 ||
                                            fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
    const mode_t wanted = old.st_mode & PermissionBits;
    if (fchmod(fd, wanted) == 0) {
        return true;
    }
    // File systems without Unix modes (FAT) refuse, and give every file the mount's mode.
    struct stat made {};
    return fstat(fd, &made) == 0 && (made.st_mode & PermissionBits) == wanted;
}

size_t WriteToFile(FileHandle file, const uint8_t* data, size_t size) {
    ssize_t put = 0;
    do {
        put = write(Descriptor(file), data, size);
    } while (put < 0 && errno == EINTR);
    return put > 0 ? static_cast<size_t>(put) : 0;
}

bool SyncFile(FileHandle file) {
    return fsync(Descriptor(file)) == 0;
}

bool CloseFile(FileHandle file) {
    return close(Descriptor(file)) == 0;
}

bool RemoveFile(const char* path) {
    // unlink, not remove: should a folder have taken the name meanwhile, it stays.
    return unlink(path) == 0;
}

PlaceResult PutFileInPlace(const char* newPath, const char* targetPath, bool targetExists) {
    // rename replaces an existing target in one step and makes a missing one; no other program
    // can hold a file against it. A failed rename changes nothing.
    (void)targetExists;
    if (rename(newPath, targetPath) == 0) {
        return PlaceResult::Done;
    }
    return errno == EBUSY ? PlaceResult::Busy : PlaceResult::Failed;
}

bool SyncFolderOf(const char* path) {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Some file systems cannot sync a folder (EINVAL); the rename stands there all the same.
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    close(fd);
    return synced;
}
