// The SDL shell's clocks: GetTickCount for the game core and the loop, the monotonic counter
// and the sleep for the pacing.
#include "game/platform_calls.h"
#include "platform/shell.h"

#include <SDL.h>

uint32_t GetTickCount() {
    return SDL_GetTicks();
}

uint64_t ShellCounter() {
    return SDL_GetPerformanceCounter();
}

uint64_t ShellCounterFrequency() {
    return SDL_GetPerformanceFrequency();
}

void ShellSleep(uint32_t ms) {
    SDL_Delay(ms);
}
