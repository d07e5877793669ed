// The game core's clock on Windows, forwarded to the system from a file that does not see
// <windows.h>: the game's GetTickCount and the system's differ in their declarations.
#include "game/platform_calls.h"

#include <cstdint>

uint32_t SystemTickCount();

uint32_t GetTickCount() {
    return SystemTickCount();
}
