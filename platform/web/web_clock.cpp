// The web shell's clocks: the counter for the pacing from the page's monotonic clock, and a
// sleep that the browser's frame callback makes unnecessary.
#include "platform/shell.h"

#include <emscripten/emscripten.h>

uint64_t ShellCounter() {
    return static_cast<uint64_t>(emscripten_get_now() * 1000.0);
}

uint64_t ShellCounterFrequency() {
    return 1000000u;
}

// The browser calls each frame when the display wants one; a page must never block.
void ShellSleep(uint32_t) {}
