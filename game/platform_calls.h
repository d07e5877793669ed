// The two calls the game core makes out of itself. The platform shell defines them for the
// game; tests link their own definitions (a recorder, a hand-set clock).
#pragma once

#include <cstdint>

// Starts the sound effect with this lower-case name ("fart1", "flush", ...) in the background
// and returns at once; false when it is not played (unknown name, no audio, another playing).
// Called by the press step and the menu handling; the game never looks at the result.
bool PlaySoundEffect(const char* name);

// The millisecond clock: an unsigned 32-bit count that wraps after about 49.7 days.
// Read by the press step for re-seeding and by the main loop for tick timestamps.
uint32_t GetTickCount();
