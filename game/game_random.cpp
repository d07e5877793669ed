// The game's own random generator: a 32-bit linear congruential sequence whose bits 16..30
// are the result, so every value lies in 0..32767 on every platform.
#include "game/game_random.h"

namespace {
uint32_t RandomState = 1;
}

void GameSrand(uint32_t seed) {
    RandomState = seed;
}

int GameRand() {
    RandomState = RandomState * 214013u + 2531011u;
    return static_cast<int>((RandomState >> 16) & 0x7FFFu);
}
