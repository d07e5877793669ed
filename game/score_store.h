// The score file's store: reading a regular file without ever waiting, and replacing a file
// whole. Written once (score_store.cpp) over the file primitives each system defines
// (game/file_calls.h).
#pragma once

#include <cstddef>
#include <cstdint>

// Reads up to `capacity` bytes of the file at `path` into `buffer` and returns how many it
// read. A link is followed. Anything but a regular file (a FIFO, a device, a directory), a
// missing or unreadable file gives 0 at once: nothing here opens what could block.
// Called by LoadHighscores at start-up, main thread.
size_t ReadRegularFile(const char* path, uint8_t* buffer, size_t capacity);

// Replaces the file at `path` with the `size` bytes of `data` so that the path names either
// the whole old file or the whole new one at every moment, and the new one is on the disk
// before true is returned. Where `path` is a link, the file it names is replaced, in that
// file's own folder. The data goes first to a new file of this function's own making beside
// the target (created exclusively under a unique name, never through a link), which a
// failure removes again.
// Returns false and leaves everything as it was when:
// - the existing file may not be written by this user: none of its write permission bits is
//   set (this holds for an administrator too), or the system denies this user write access;
// - the path names anything but a regular file or a link to one (a FIFO, a device, a
//   folder, a dangling link);
// - the folder cannot take the new file, or writing or syncing it fails.
// A replace or removal that another program holds up for a moment (a virus scanner, an
// indexer) is tried again for about a second and a half. Whatever fails, the path keeps the
// old file or gets the new one: the new file is removed only while the old one stands.
// A replaced file's permission bits (and, where the system lets this user, its owner and
// group) carry over to the new file; a new file gets the defaults of a newly created one.
// Called by SaveHighscores at shutdown, main thread.
bool ReplaceRegularFile(const char* path, const uint8_t* data, size_t size);
