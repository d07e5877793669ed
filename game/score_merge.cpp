// Merging two top-ten tables without counting a row twice.
#include "game/score_merge.h"

#include <cstring>

bool SameHighscoreRow(const HighscoreEntry& a, const HighscoreEntry& b) {
    // Bit for bit: two rows of one length can only come from one game, and a NaN read from a
    // damaged file has been made 0.0 already.
    return std::memcmp(&a.length, &b.length, sizeof a.length) == 0 &&
           std::strncmp(a.name, b.name, NameBufferSize) == 0;
}

bool SameHighscoreTable(const HighscoreEntry* a, const HighscoreEntry* b) {
    for (int row = 0; row < HighscoreRows; ++row) {
        if (!SameHighscoreRow(a[row], b[row])) {
            return false;
        }
    }
    return true;
}

std::vector<HighscoreEntry> HighscoreRowsAdded(const HighscoreEntry* before,
                                               const HighscoreEntry* now) {
    bool matched[HighscoreRows] = {};
    std::vector<HighscoreEntry> added;
    for (int row = 0; row < HighscoreRows; ++row) {
        bool found = false;
        for (int old = 0; old < HighscoreRows && !found; ++old) {
            if (!matched[old] && SameHighscoreRow(before[old], now[row])) {
                matched[old] = true;
                found = true;
            }
        }
        if (!found) {
            added.push_back(now[row]);
        }
    }
    return added;
}

void InsertHighscoreRows(HighscoreEntry* table, const std::vector<HighscoreEntry>& rows) {
    for (const HighscoreEntry& row : rows) {
        if (row.length > table[HighscoreRows - 1].length) {
            InsertHighscoreRow(table, row.length, row.name);
        }
    }
}
