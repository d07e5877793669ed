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

// A new file beside the target. O_EXCL never opens what is already there and never follows
// a link, so a planted link or a leftover of the same name only costs another name.
int CreateTemporaryFile(const SaveTarget& target, std::string& name) {
    const mode_t mode = target.exists ? PrivateMode : NewFileMode;
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        name = target.path + ".tmp-" + UniqueSuffix(attempt);
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
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
    return fchmod(fd, old.st_mode & PermissionBits) == 0;
}

bool FillTemporaryFile(int fd, const SaveTarget& target, const uint8_t* data, size_t size) {
    // The rename must not reach the disk before the data it names.
    bool filled = CarryOverOwnerAndMode(fd, target) && WriteAll(fd, data, size) && fsync(fd) == 0;
    bool closed = close(fd) == 0;
    return filled && closed;
}

// Makes the rename itself durable. Some file systems cannot sync a folder (EINVAL); the
// rename stands there all the same.
bool SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    int fd = CreateTemporaryFile(target, temporary);
    if (fd < 0) {
        return false;
    }
    // unlink, not remove: should a folder have taken the name meanwhile, it stays.
    if (!FillTemporaryFile(fd, target, data, size) ||
        rename(temporary.c_str(), target.path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolderOf(target.path);
}
