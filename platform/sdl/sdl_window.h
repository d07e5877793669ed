// What the SDL shell's event handling needs to know of its window.
#pragma once

#include <cstdint>

// SDL's id of the current window (0 when there is none), to tell its events from those of a
// window that an F1 switch has closed. Main thread.
uint32_t GameWindowId();
