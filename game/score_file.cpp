// scores.dat: the 360-byte image of the top-ten table in the byte layout of a Windows text
// stream (0x0A stored as 0x0D 0x0A). Reads raw bytes so that 0x1A is ordinary data, and
// saves through a temporary file so that a failed save never damages the old table.
#include "game/score_file.h"

#include "game/game_state.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

static_assert(sizeof(HighscoreTable) == ScoreImageSize, "the table is the file's image");

namespace {

constexpr uint8_t CarriageReturn = 0x0D;
constexpr uint8_t LineFeed = 0x0A;
// Every image byte takes at most two stored bytes; one more lets a final 0x0D see its pair.
constexpr size_t MaxStoredBytes = 2 * ScoreImageSize + 1;
constexpr const char* TemporaryName = "scores.dat.tmp";

// Makes rows from a damaged file safe for the rest of the game: names end within their
// buffer, and a length that is NaN or infinite (which no new score could ever beat, or
// which compares false with everything) becomes 0.0.
void RepairRows() {
    for (HighscoreEntry& row : HighscoreTable) {
        row.name[MaxNameLength] = '\0';
        if (!std::isfinite(row.length)) {
            row.length = 0.0f;
        }
    }
}

size_t EncodeImage(const uint8_t* image, uint8_t* stored) {
    size_t out = 0;
    for (size_t i = 0; i < ScoreImageSize; ++i) {
        if (image[i] == LineFeed) {
            stored[out++] = CarriageReturn;
        }
        stored[out++] = image[i];
    }
    return out;
}

// The table as it goes to disk: the bytes after each name's terminator are zeroed.
void BuildImage(uint8_t* image) {
    std::memcpy(image, HighscoreTable, ScoreImageSize);
    for (int row = 0; row < HighscoreRows; ++row) {
        uint8_t* name = image + row * sizeof(HighscoreEntry) + offsetof(HighscoreEntry, name);
        size_t length = strnlen(reinterpret_cast<const char*>(name), MaxNameLength);
        std::memset(name + length, 0, NameBufferSize - length);
    }
}

bool FlushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#if defined(__unix__) || defined(__APPLE__)
    // The rename must not reach the disk before the data it names.
    return fsync(fileno(file)) == 0;
#else
    return true;
#endif
}

bool WriteTemporaryFile(const uint8_t* stored, size_t size) {
    std::FILE* file = std::fopen(TemporaryName, "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(stored, 1, size, file) == size && FlushToDisk(file);
    bool closed = std::fclose(file) == 0;
    return written && closed;
}

} // namespace

void ApplyScoreFileBytes(const uint8_t* data, size_t size) {
    uint8_t* image = reinterpret_cast<uint8_t*>(HighscoreTable);
    size_t out = 0;
    for (size_t in = 0; in < size && out < ScoreImageSize; ++in) {
        bool pair = data[in] == CarriageReturn && in + 1 < size && data[in + 1] == LineFeed;
        if (pair) {
            ++in;
        }
        image[out++] = data[in];
    }
    RepairRows();
}

void LoadHighscores() {
    SetDefaultHighscores();
    std::FILE* file = std::fopen(ScoreFileName, "rb");
    if (file == nullptr) {
        return;
    }
    uint8_t stored[MaxStoredBytes];
    // A directory opens but fails to read: zero bytes, the defaults stay.
    size_t size = std::fread(stored, 1, sizeof stored, file);
    std::fclose(file);
    ApplyScoreFileBytes(stored, size);
}

bool SaveHighscores() {
    uint8_t image[ScoreImageSize];
    uint8_t stored[2 * ScoreImageSize];
    BuildImage(image);
    size_t size = EncodeImage(image, stored);
    if (!WriteTemporaryFile(stored, size)) {
        std::remove(TemporaryName);
        return false;
    }
    // std::rename keeps an existing target on Windows, so every save after the first would
    // fail there; the filesystem rename replaces it on both systems.
    std::error_code error;
    std::filesystem::rename(TemporaryName, ScoreFileName, error);
    if (error) {
        std::remove(TemporaryName);
        return false;
    }
    return true;
}
