// Stand-ins for the two calls the game core makes out of itself, for programs that draw frames
// without the platform shell: a hand-set clock and a sound request counter.
#include "game/platform_calls.h"
#include "tools/renderframe/render_harness.h"

uint32_t HarnessClockMs = 0;
int HarnessSoundRequests = 0;

uint32_t GetTickCount() {
    return HarnessClockMs;
}

bool PlaySoundEffect(const char* /*name*/) {
    ++HarnessSoundRequests;
    return false;
}
