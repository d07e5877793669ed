// Fuzz target: any bytes given as scores.dat load, or are merged in as a table brought from
// elsewhere, without reading outside a buffer and leave a table the game can use (terminated
// names, finite lengths).
#include "game/game_state.h"
#include "game/score_file.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void CheckTable() {
    for (const HighscoreEntry& row : HighscoreTable) {
        if (!std::isfinite(row.length) || memchr(row.name, 0, NameBufferSize) == nullptr) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetDefaultHighscores();
    ApplyScoreFileBytes(data, size);
    CheckTable();
    SetDefaultHighscores();
    MergeScoreFileBytes(data, size);
    CheckTable();
    return 0;
}
