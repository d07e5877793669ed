// The score file's system side on POSIX systems: a read that never opens a FIFO or a device,
// and a save through a temporary file of our own making, renamed over the file it replaces.
#include "game/score_store.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each name already taken (a leftover file or folder, a planted link) costs one more guess.
constexpr int TemporaryNameAttempts = 64;
constexpr mode_t PermissionBits = 0777;
constexpr mode_t WriteBits = 0222;
// A temporary file that stands in for an existing one is private until it gets that one's mode.
constexpr mode_t PrivateMode = 0600;
// A brand-new file gets what the umask (and a folder's default ACL) leave of this, as fopen's.
constexpr mode_t NewFileMode = 0666;

// The file a save replaces: the path itself, or the regular file that a link there names.
struct SaveTarget {
    std::string path;
    bool exists = false;
    struct stat info {};
};

size_t ReadUpTo(int fd, uint8_t* buffer, size_t capacity) {
    size_t total = 0;
    while (total < capacity) {
        ssize_t got = read(fd, buffer + total, capacity - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<size_t>(got);
    }
    return total;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    size_t total = 0;
    while (total < size) {
        ssize_t put = write(fd, data + total, size - total);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        total += static_cast<size_t>(put);
    }
    return true;
}

// False for anything the save must leave alone: a folder, FIFO, device or socket, a link
// that leads nowhere (or in a loop), a path that cannot be looked at.
bool ResolveTarget(const char* path, SaveTarget& target) {
    struct stat entry {};
    if (lstat(path, &entry) != 0) {
        target.path = path;
        return errno == ENOENT;
    }
    if (S_ISLNK(entry.st_mode)) {
        // A table shared through a link stays shared: the save goes to the file it names.
        char* resolved = realpath(path, nullptr);
        if (resolved == nullptr) {
            return false;
        }
        target.path = resolved;
        std::free(resolved);
        if (stat(target.path.c_str(), &entry) != 0) {
            return false;
        }
    } else {
        target.path = path;
    }
    target.exists = true;
    target.info = entry;
    return S_ISREG(entry.st_mode);
}

// A rename ignores the replaced file's own permissions, so they are asked here. An
// administrator could write a file whose write bits are all clear, but its owner has said
// "keep this", and so the save keeps it.
bool MayReplace(const SaveTarget& target) {
    if (!target.exists) {
        return true;
    }
    return (target.info.st_mode & WriteBits) != 0 &&
           faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Eight hex digits that differ between processes, calls and attempts. They need not be
// secret: the exclusive create refuses any name that is already taken.
std::string UniqueSuffix(int attempt) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t mixed = static_cast<uint64_t>(getpid()) * 0x9E3779B97F4A7C15u;
    mixed ^= static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30);
    mixed ^= static_cast<uint64_t>(attempt + 1) * 0xC2B2AE3D27D4EB4Fu;
    mixed ^= mixed >> 29;
    char text[9];
    std::snprintf(text, sizeof text, "%08" PRIx32, static_cast<uint32_t>(mixed ^ (mixed >> 32)));
    return text;
}

std::string TemporaryName(const SaveTarget& target, int attempt) {
    return target.path + ".tmp-" + UniqueSuffix(attempt);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

mode_t TemporaryMode(const SaveTarget& target) {
    return target.exists ? PrivateMode : NewFileMode;
}

// The replaced file's owner and group where this user may set them (an administrator may;
// others keep the group if they belong to it), and always its permission bits.
bool CarryOverOwnerAndMode(int fd, const SaveTarget& target) {
    if (!target.exists) {
        return true;
    }
    const struct stat& old = target.info;
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

// The rename must not reach the disk before the data it names, hence the sync.
bool FillAndSync(int fd, const SaveTarget& target, const uint8_t* data, size_t size) {
    return CarryOverOwnerAndMode(fd, target) && WriteAll(fd, data, size) && fsync(fd) == 0;
}

// Linux: the file is written and synced without a name, so that a kill meanwhile leaves
// nothing behind, and named only just before the rename. False, with nothing left, where the
// file system has no unnamed files or the naming fails; the caller then names it at once.
bool WriteUnnamedTemporary(const SaveTarget& target, const uint8_t* data, size_t size,
                           std::string& name) {
#ifdef O_TMPFILE
    int fd = open(FolderOf(target.path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                  TemporaryMode(target));
    if (fd < 0) {
        return false;
    }
    bool named = false;
    if (FillAndSync(fd, target, data, size)) {
        // linkat never follows a link at the new name; a name already taken costs another.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < TemporaryNameAttempts && !named; ++attempt) {
            name = TemporaryName(target, attempt);
            named = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
            if (!named && errno != EEXIST) {
                break;
            }
        }
    }
    if (close(fd) != 0 && named) {
        unlink(name.c_str());
        named = false;
    }
    return named;
#else
    (void)target, (void)data, (void)size, (void)name;
    return false;
#endif
}

// A new file made beside the target under a unique name. O_EXCL never opens what is already
// there and never follows a link, so a planted link or a leftover only costs another name.
bool WriteNamedTemporary(const SaveTarget& target, const uint8_t* data, size_t size,
                         std::string& name) {
    int fd = -1;
    for (int attempt = 0; attempt < TemporaryNameAttempts && fd < 0; ++attempt) {
        name = TemporaryName(target, attempt);
        fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  TemporaryMode(target));
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    bool filled = FillAndSync(fd, target, data, size);
    if (close(fd) != 0 || !filled) {
        unlink(name.c_str());
        return false;
    }
    return true;
}

// Makes the rename itself durable. Some file systems cannot sync a folder (EINVAL); the
// rename stands there all the same.
bool SyncFolderOf(const std::string& path) {
    int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool synced = fsync(fd) == 0 || errno == EINVAL;
    close(fd);
    return synced;
}

} // namespace

size_t ReadRegularFile(const char* path, uint8_t* buffer, size_t capacity) {
    struct stat info {};
    // Looked at before opening: opening a FIFO waits for a writer, a device may act on it.
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    // Non-blocking all the same, should something else take the name in between.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    size_t size = 0;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        size = ReadUpTo(fd, buffer, capacity);
    }
    close(fd);
    return size;
}

bool ReplaceRegularFile(const char* path, const uint8_t* data, size_t size) {
    SaveTarget target;
    if (!ResolveTarget(path, target) || !MayReplace(target)) {
        return false;
    }
    std::string temporary;
    if (!WriteUnnamedTemporary(target, data, size, temporary) &&
        !WriteNamedTemporary(target, data, size, temporary)) {
        return false;
    }
    // unlink, not remove: should a folder have taken the name meanwhile, it stays.
    if (rename(temporary.c_str(), target.path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolderOf(target.path);
}
