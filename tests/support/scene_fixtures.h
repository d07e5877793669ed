// Game states with a known picture, set directly in the game core's globals: each menu screen,
// and a running game with a sausage of a chosen length and live particles.
#pragma once

#include <cstdint>

// Program-start state with player 0 ("VOV1ER0U") and the default top-ten table.
void ResetToStartState();

// Start state with `screen` shown and `cursor` on its row.
void ShowMenuScreen(int32_t screen, uint32_t cursor);

// Player 0 in a game with a sausage of `length` cm under the piston at its start height,
// and `liveParticles` particles (at most 75, one spawned per tick) aged 0, 40, 80, ... ms,
// with drift vectors as a leak of `leak` mbar per tick gives them.
void SetUpRunningGame(float length, int liveParticles, float leak = 0.5f);
