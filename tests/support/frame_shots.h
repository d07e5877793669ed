// The named game states that renderframe draws into PNG files and that the web page draws on
// request (?shot=NAME), each at the same fixed clock, so that the two pictures can be compared.
#pragma once

#include <cstddef>
#include <cstdint>

// The clock (GetTickCount, ms) every shot is drawn at; it sets the wave surface's phase.
inline constexpr uint32_t FrameShotClockMs = 123456;

struct FrameShot {
    const char* name; // "menu", "game", ...; renderframe writes NAME.png
    void (*setUp)();  // puts the game globals into the shot's state
};

// Every shot, in renderframe's order; `count` receives the number.
const FrameShot* FrameShots(size_t* count);

// The shot called `name`, or null.
const FrameShot* FindFrameShot(const char* name);
