// GetTickCount for the game core and the main loop: SDL's millisecond clock.
#include "game/platform_calls.h"

#include <SDL.h>

uint32_t GetTickCount() {
    return SDL_GetTicks();
}
