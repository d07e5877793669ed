// The web shell's clocks: GetTickCount for the game core and the loop from the page's
// monotonic clock (held still while a shot is drawn), the counter for the pacing, and a sleep
// that the browser's frame callback makes unnecessary.
#include "game/platform_calls.h"
#include "platform/shell.h"
#include "platform/web/web_shell.h"

#include <emscripten/emscripten.h>

#include <cmath>

namespace {

bool ClockFrozen = false;
uint32_t FrozenMs = 0;

} // namespace

void FreezeClock(uint32_t ms) {
    ClockFrozen = true;
    FrozenMs = ms;
}

// Milliseconds since the page began loading, wrapped to 32 bits as the desktop's count is.
uint32_t GetTickCount() {
    if (ClockFrozen) {
        return FrozenMs;
    }
    return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(emscripten_get_now())));
}

uint64_t ShellCounter() {
    return static_cast<uint64_t>(emscripten_get_now() * 1000.0);
}

uint64_t ShellCounterFrequency() {
    return 1000000u;
}

// The browser calls each frame when the display wants one; a page must never block.
void ShellSleep(uint32_t) {}
