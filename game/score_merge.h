// Two tables of one player's machine made one: what a copy of the game added since it read
// scores.dat goes into what another copy (a second window, another browser tab) stored
// meanwhile, ranked as a finished game's row goes in, so that whoever saves last keeps both.
#pragma once

#include "game/game_state.h"

#include <vector>

// The same row: equal length (bit for bit) and equal name.
bool SameHighscoreRow(const HighscoreEntry& a, const HighscoreEntry& b);
bool SameHighscoreTable(const HighscoreEntry* a, const HighscoreEntry* b);

// The rows of `now` that `before` does not hold, repeats counted: a row that `now` holds twice
// and `before` once is added once. In `now`'s order.
std::vector<HighscoreEntry> HighscoreRowsAdded(const HighscoreEntry* before,
                                               const HighscoreEntry* now);

// Inserts each of `rows` into `table` that beats its row 9, as InsertHighscore does.
void InsertHighscoreRows(HighscoreEntry* table, const std::vector<HighscoreEntry>& rows);
