// Fuzz target: any bytes given as scores.dat load without reading outside a buffer and
// leave a table the game can use (terminated names, finite lengths).
#include "game/game_state.h"
#include "game/score_file.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetDefaultHighscores();
    ApplyScoreFileBytes(data, size);
    for (const HighscoreEntry& row : HighscoreTable) {
        if (!std::isfinite(row.length) || memchr(row.name, 0, NameBufferSize) == nullptr) {
            std::abort();
        }
    }
    return 0;
}
