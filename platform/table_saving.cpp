// The table's loads and saves: the table as it was last loaded or saved is kept, so that a
// shell that saves on every change writes scores.dat only when a game has changed it.
#include "platform/table_saving.h"

#include "game/game_state.h"
#include "game/score_file.h"
#include "platform/shell.h"

#include <cstring>

namespace {

HighscoreEntry TableAtLastSave[HighscoreRows];

void NoteTableSaved() {
    std::memcpy(TableAtLastSave, HighscoreTable, sizeof TableAtLastSave);
}

} // namespace

void LoadTable() {
    LoadHighscores();
    NoteTableSaved();
}

void SaveTable() {
    SaveHighscores();
    NoteTableSaved();
    ShellTableSaved();
}

void SaveTableIfChanged() {
    if (!ShellSavesTableOnChange()) {
        return;
    }
    const bool storedElsewhere = ShellTableStoredElsewhere();
    // The save merges with what is stored, another copy's rows included.
    if (std::memcmp(TableAtLastSave, HighscoreTable, sizeof TableAtLastSave) != 0) {
        SaveTable();
    }
    if (storedElsewhere) {
        LoadTable();
    }
}
