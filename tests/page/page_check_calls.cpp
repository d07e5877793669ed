// The test page's side of the page: its parameters and mark, and the game core's clock, which
// the shot mode holds still (the shipped page's clock, web_tick_count.cpp, cannot be held).
#include "game/platform_calls.h"
#include "tests/page/page_checks.h"

#include <emscripten/emscripten.h>

#include <cmath>

namespace {

bool ClockFrozen = false;
uint32_t FrozenMs = 0;

// clang-format off
EM_JS(void, JsShotName, (char* buffer, int size), {
    stringToUTF8(KesselfassPage.parameter("shot"), buffer, size);
});
EM_JS(double, JsBenchLength, (), {
    const text = KesselfassPage.parameter("bench");
    return text === "" ? -1 : Number(text);
});
EM_JS(void, JsMarkShotDrawn, (), { KesselfassPage.mark("shot"); });
// clang-format on

} // namespace

void PageShotName(char* buffer, int32_t size) {
    JsShotName(buffer, size);
}

float PageBenchLength() {
    const double length = JsBenchLength();
    return length >= 0.0 && length <= 100000.0 ? static_cast<float>(length) : -1.0f;
}

void PageMarkShotDrawn() {
    JsMarkShotDrawn();
}

void FreezeClock(uint32_t ms) {
    ClockFrozen = true;
    FrozenMs = ms;
}

// As the shipped page's: milliseconds since the page began loading, wrapped to 32 bits.
uint32_t GetTickCount() {
    if (ClockFrozen) {
        return FrozenMs;
    }
    return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(emscripten_get_now())));
}
