// Tick catch-up and pass pacing of the main loop.
#include "platform/tick_clock.h"

#include "game/game_tick.h"

uint32_t NextTickTime = 0;

int RunDueTicks(uint32_t nowMs, void (*tick)(uint32_t tickTimeMs)) {
    int ticksRun = 0;
    // A plain `NextTickTime < nowMs` stops ticking for good once the clock wraps past zero;
    // the signed difference keeps working as long as the two are within 24 days of each other.
    while (static_cast<int32_t>(nowMs - NextTickTime) > 0) {
        tick(NextTickTime);
        NextTickTime += TickMs;
        ++ticksRun;
    }
    return ticksRun;
}

void SetPacerRate(PassPacer& pacer, int refreshHz) {
    if (refreshHz <= 0 || refreshHz > 1000) {
        refreshHz = 60;
    }
    pacer.periodUs = 1000000u / static_cast<uint64_t>(refreshHz);
    pacer.nextPassUs = 0;
}

uint64_t PacerSleepUs(PassPacer& pacer, uint64_t nowUs) {
    if (pacer.periodUs == 0) {
        SetPacerRate(pacer, 0);
    }
    if (pacer.nextPassUs == 0) {
        pacer.nextPassUs = nowUs + pacer.periodUs;
    } else {
        pacer.nextPassUs += pacer.periodUs;
    }
    if (pacer.nextPassUs <= nowUs) {
        // Behind (a slow frame, a swap that waited): no sleep, and if more than a period
        // behind, forget the missed slots rather than run a burst of passes.
        if (nowUs - pacer.nextPassUs > pacer.periodUs) {
            pacer.nextPassUs = nowUs;
        }
        return 0;
    }
    return pacer.nextPassUs - nowUs;
}
