// The game core's clock in a page: milliseconds since the page began loading, wrapped to 32
// bits as the desktop's count is. Linked as an object by the page, which the test page's own
// clock replaces.
#include "game/platform_calls.h"

#include <emscripten/emscripten.h>

#include <cmath>

uint32_t GetTickCount() {
    return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(emscripten_get_now())));
}
