// The top-ten table on disk: "scores.dat" in the working directory, the 360-byte table image
// with every 0x0A stored as 0x0D 0x0A.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr const char* ScoreFileName = "scores.dat";
inline constexpr size_t ScoreImageSize = 360;

// Resets the table to its defaults, then lays the file's bytes over them (as many as it has,
// up to 360). A missing or unreadable file, or anything but a regular file (a FIFO, a
// device), keeps the defaults without waiting. Called once at start-up.
void LoadHighscores();

// Replaces scores.dat (or the file a link of that name points to) with the table in one
// step, so a failed or interrupted save leaves the old file as it was. A file its owner made
// read-only, one this user may not write, or anything but a regular file stays untouched.
// Called once at normal exit. False when nothing was saved.
bool SaveHighscores();

// The same two steps on a byte buffer, for the loader's fuzz target and the tests:
// undoes the 0x0D 0x0A pairs of `data` and lays up to 360 bytes over the table.
void ApplyScoreFileBytes(const uint8_t* data, size_t size);
