// The main loop's game clock: ticks of 40 ms caught up against the 32-bit millisecond clock,
// and the pacing of drawing passes to the display's refresh rate.
#pragma once

#include <cstdint>

// Timestamp (ms on the GetTickCount clock) of the next tick to run. Set once at start-up to
// the clock, before the window is made, so the start-up time is caught up by ticks.
extern uint32_t NextTickTime;

// Runs `tick(NextTickTime)` and advances NextTickTime by 40 for as long as NextTickTime lies
// before `nowMs`. The comparison is of the wrapped difference, so ticks go on across the
// 49.7-day wrap of the clock. Returns the number of ticks run. Called once per drawing pass.
int RunDueTicks(uint32_t nowMs, void (*tick)(uint32_t tickTimeMs));

// Paces drawing passes where the buffer swap does not wait for the display.
struct PassPacer {
    uint64_t periodUs = 0;   // one refresh interval
    uint64_t nextPassUs = 0; // when the next pass is due; 0 before the first
};

// Sets the pacer's period from a refresh rate in Hz; 0 or an absurd rate counts as 60 Hz.
void SetPacerRate(PassPacer& pacer, int refreshHz);

// Called after each drawing pass with a microsecond clock: returns how long to sleep, in
// microseconds, before the next pass. When the swap already waits for the display the pass
// takes a whole period and nothing is slept; a pass that fell far behind starts afresh
// instead of rushing to catch up.
uint64_t PacerSleepUs(PassPacer& pacer, uint64_t nowUs);
