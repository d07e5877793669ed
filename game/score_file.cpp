// scores.dat: the 360-byte image of the top-ten table in the byte layout of a Windows text
// stream (0x0A stored as 0x0D 0x0A). Reads raw bytes so that 0x1A is ordinary data; what may
// be read and how a file is replaced whole are the score store's.
#include "game/score_file.h"

#include "game/game_state.h"
#include "game/score_store.h"

#include <cmath>
#include <cstring>

static_assert(sizeof(HighscoreTable) == ScoreImageSize, "the table is the file's image");

namespace {

constexpr uint8_t CarriageReturn = 0x0D;
constexpr uint8_t LineFeed = 0x0A;
// Every image byte takes at most two stored bytes; one more lets a final 0x0D see its pair.
constexpr size_t MaxStoredBytes = 2 * ScoreImageSize + 1;

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
    uint8_t stored[MaxStoredBytes];
    // Missing, unreadable or not a regular file: zero bytes, the defaults stay.
    size_t size = ReadRegularFile(ScoreFileName, stored, sizeof stored);
    ApplyScoreFileBytes(stored, size);
}

bool SaveHighscores() {
    uint8_t image[ScoreImageSize];
    uint8_t stored[2 * ScoreImageSize];
    BuildImage(image);
    size_t size = EncodeImage(image, stored);
    return ReplaceRegularFile(ScoreFileName, stored, size);
}
