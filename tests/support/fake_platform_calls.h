// Stand-ins for the game core's two calls out, for programs that run the core without the
// platform shell (the game tests, the soak run, the score-file fuzz target and the render
// harness): PlaySoundEffect records each request, GetTickCount returns a clock set by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Every PlaySoundEffect request, oldest first; the program clears it when it likes.
extern std::vector<std::string> SoundRequests;

// What GetTickCount returns, in ms; 0 until the program sets it.
extern uint32_t FakeClockMs;
