// The recorder of sound requests and the hand-set clock behind the game core's calls out.
#include "tests/support/fake_platform_calls.h"

#include "game/platform_calls.h"

std::vector<std::string> SoundRequests;
uint32_t FakeClockMs = 0;

// Accepted, as a free sound voice would; the game never looks at the answer.
bool PlaySoundEffect(const char* name) {
    SoundRequests.emplace_back(name);
    return true;
}

uint32_t GetTickCount() {
    return FakeClockMs;
}
