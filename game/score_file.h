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
// Where another copy of the game saved since this one loaded or saved, its rows are kept: the
// save writes the stored table with the rows this copy added, ranked, and the table in memory
// becomes what was saved. Called at normal exit (and in a page after the table changes).
// False when nothing was saved.
bool SaveHighscores();

// Merges a scores.dat brought in from elsewhere (another machine, another browser) into the
// table: its rows that the table does not hold go in, ranked. A file that is not a whole table
// as the game writes it (the wrong size, a name without its end, a length that is no number or
// below zero, rows out of order) changes nothing and gives false.
bool MergeScoreFileBytes(const uint8_t* data, size_t size);

// The bytes SaveHighscores would write for the table as it is, into `buffer` (which takes 720
// bytes in any case); their count, 0 when `capacity` is too small. For a download of the table.
size_t ScoreFileImage(uint8_t* buffer, size_t capacity);

// The same two steps on a byte buffer, for the loader's fuzz target and the tests:
// undoes the 0x0D 0x0A pairs of `data` and lays up to 360 bytes over the table.
void ApplyScoreFileBytes(const uint8_t* data, size_t size);
