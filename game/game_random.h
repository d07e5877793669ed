// The game's one random generator, with the srand/rand interface and results 0..32767.
// Shared by the press step and the renderer; the C library's rand() is not used because
// glibc's range (up to 2^31 - 1) would break every "r * 2/32767" formula.
#pragma once

#include <cstdint>

// The largest value GameRand returns.
inline constexpr int GameRandMax = 32767;

// Sets the seed; the same seed always gives the same sequence.
// Called by the press step (the clock) and by the renderer (fixed and particle seeds).
void GameSrand(uint32_t seed);

// The next value of the sequence, 0..GameRandMax inclusive.
int GameRand();
