// scores.dat: the 360-byte image of the top-ten table in the byte layout of a Windows text
// stream (0x0A stored as 0x0D 0x0A). Reads raw bytes so that 0x1A is ordinary data; what may
// be read and how a file is replaced whole are the score store's.
#include "game/score_file.h"

#include "game/game_state.h"
#include "game/score_merge.h"
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
void RepairRows(HighscoreEntry* table) {
    for (int row = 0; row < HighscoreRows; ++row) {
        table[row].name[MaxNameLength] = '\0';
        if (!std::isfinite(table[row].length)) {
            table[row].length = 0.0f;
        }
    }
}

// Undoes the 0x0D 0x0A pairs of `data` and lays up to 360 bytes over `table`. Returns how many
// image bytes the data made and sets `consumed` to the stored bytes they took.
size_t DecodeInto(HighscoreEntry* table, const uint8_t* data, size_t size, size_t& consumed) {
    uint8_t* image = reinterpret_cast<uint8_t*>(table);
    size_t out = 0;
    size_t in = 0;
    for (; in < size && out < ScoreImageSize; ++in) {
        bool pair = data[in] == CarriageReturn && in + 1 < size && data[in + 1] == LineFeed;
        if (pair) {
            ++in;
        }
        image[out++] = data[in];
    }
    consumed = in;
    return out;
}

// A file as the game writes it: the whole image and nothing after it, every name ended within
// its buffer, every length a finite number not below zero, the rows in falling order.
bool IsWholeTable(const HighscoreEntry* table, size_t imageBytes, size_t consumed, size_t size) {
    if (imageBytes != ScoreImageSize || consumed != size) {
        return false;
    }
    for (int row = 0; row < HighscoreRows; ++row) {
        const HighscoreEntry& entry = table[row];
        if (strnlen(entry.name, NameBufferSize) > MaxNameLength || !std::isfinite(entry.length) ||
            entry.length < 0.0f || (row > 0 && entry.length > table[row - 1].length)) {
            return false;
        }
    }
    return true;
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
void BuildImage(const HighscoreEntry* table, uint8_t* image) {
    std::memcpy(image, table, ScoreImageSize);
    for (int row = 0; row < HighscoreRows; ++row) {
        uint8_t* name = image + row * sizeof(HighscoreEntry) + offsetof(HighscoreEntry, name);
        size_t length = strnlen(reinterpret_cast<const char*>(name), MaxNameLength);
        std::memset(name + length, 0, NameBufferSize - length);
    }
}

void RememberStored(const HighscoreEntry* table) {
    std::memcpy(StoredHighscoreTable, table, sizeof StoredHighscoreTable);
    StoredHighscoresKnown = true;
}

// What a save writes: this program's table, or, where another copy of the game has saved
// since this one last loaded or saved, that copy's table with the rows this one added. A file
// that has gone or cannot be read gives nothing to merge: this program's rows are then all
// that is left of the table.
void TableToSave(HighscoreEntry* table) {
    std::memcpy(table, HighscoreTable, ScoreImageSize);
    if (!StoredHighscoresKnown) {
        return;
    }
    uint8_t bytes[MaxStoredBytes];
    const size_t size = ReadRegularFile(ScoreFileName, bytes, sizeof bytes);
    if (size == 0) {
        return;
    }
    HighscoreEntry stored[HighscoreRows];
    SetDefaultHighscores(stored);
    size_t consumed = 0;
    DecodeInto(stored, bytes, size, consumed);
    RepairRows(stored);
    if (SameHighscoreTable(stored, StoredHighscoreTable)) {
        return;
    }
    InsertHighscoreRows(stored, HighscoreRowsAdded(StoredHighscoreTable, HighscoreTable));
    std::memcpy(table, stored, ScoreImageSize);
}

} // namespace

void ApplyScoreFileBytes(const uint8_t* data, size_t size) {
    size_t consumed = 0;
    DecodeInto(HighscoreTable, data, size, consumed);
    RepairRows(HighscoreTable);
}

bool MergeScoreFileBytes(const uint8_t* data, size_t size) {
    HighscoreEntry other[HighscoreRows];
    SetDefaultHighscores(other);
    size_t consumed = 0;
    const size_t imageBytes = DecodeInto(other, data, size, consumed);
    if (!IsWholeTable(other, imageBytes, consumed, size)) {
        return false;
    }
    InsertHighscoreRows(HighscoreTable, HighscoreRowsAdded(HighscoreTable, other));
    return true;
}

void LoadHighscores() {
    SetDefaultHighscores();
    uint8_t stored[MaxStoredBytes];
    // Missing, unreadable or not a regular file: zero bytes, the defaults stay.
    size_t size = ReadRegularFile(ScoreFileName, stored, sizeof stored);
    ApplyScoreFileBytes(stored, size);
    RememberStored(HighscoreTable);
}

bool SaveHighscores() {
    HighscoreEntry table[HighscoreRows];
    TableToSave(table);
    uint8_t image[ScoreImageSize];
    uint8_t stored[2 * ScoreImageSize];
    BuildImage(table, image);
    size_t size = EncodeImage(image, stored);
    if (!ReplaceRegularFile(ScoreFileName, stored, size)) {
        return false;
    }
    std::memcpy(HighscoreTable, table, ScoreImageSize);
    RememberStored(table);
    return true;
}

size_t ScoreFileImage(uint8_t* buffer, size_t capacity) {
    uint8_t image[ScoreImageSize];
    uint8_t stored[2 * ScoreImageSize];
    BuildImage(HighscoreTable, image);
    const size_t size = EncodeImage(image, stored);
    if (size > capacity) {
        return 0;
    }
    std::memcpy(buffer, stored, size);
    return size;
}
