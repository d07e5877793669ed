// The fixed 40 ms step of the game: camera drift, the press step or the menu step, and the
// ageing of the particles.
#pragma once

#include <cstdint>

// Length of one tick in ms of clock time.
inline constexpr uint32_t TickMs = 40;

// Advances the game by one tick whose timestamp is `tickTimeMs` (the 32-bit ms clock).
// Called by the main loop once per 40 ms elapsed.
void GameTick(uint32_t tickTimeMs);

// The menu step's handling of cursor, name entry and activation. Called by GameTick while
// player 0 is not in a game.
void HandleMenu();
