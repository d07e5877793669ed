// The main loop's tick catch-up against a hand-set clock, across the 32-bit wrap, and the
// pacing of drawing passes.
#include "platform/tick_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> TickTimes;

void RecordTick(uint32_t tickTimeMs) {
    TickTimes.push_back(tickTimeMs);
}

class TickClockTest : public ::testing::Test {
  protected:
    void SetUp() override { TickTimes.clear(); }
};

} // namespace

TEST_F(TickClockTest, TwoSecondStartUpIsCaughtUpByFiftyTicksInTheFirstPass) {
    NextTickTime = 5000;
    EXPECT_EQ(RunDueTicks(7000, RecordTick), 50);
    ASSERT_EQ(TickTimes.size(), 50u);
    for (size_t i = 0; i < TickTimes.size(); ++i) {
        EXPECT_EQ(TickTimes[i], 5000u + 40u * i);
    }
    EXPECT_EQ(NextTickTime, 7000u);
    // The tick stamped 7000 is due only once the clock has passed it.
    EXPECT_EQ(RunDueTicks(7000, RecordTick), 0);
    EXPECT_EQ(RunDueTicks(7001, RecordTick), 1);
}

TEST_F(TickClockTest, OneTickPerFortyMillisecondsWhateverThePassLengths) {
    NextTickTime = 100;
    uint32_t now = 100;
    const uint32_t passLengths[] = {3, 17, 1, 0, 95, 40, 39, 41, 250, 7, 16, 16, 16, 1000, 2};
    int total = 0;
    for (int round = 0; round < 20; ++round) {
        for (uint32_t length : passLengths) {
            now += length;
            total += RunDueTicks(now, RecordTick);
            // Caught up: the next tick lies within the coming 40 ms of clock.
            const int32_t ahead = static_cast<int32_t>(NextTickTime - now);
            EXPECT_GE(ahead, 0);
            EXPECT_LT(ahead, 40);
        }
    }
    EXPECT_EQ(static_cast<uint32_t>(total), (now - 100 + 39) / 40);
    for (size_t i = 1; i < TickTimes.size(); ++i) {
        EXPECT_EQ(TickTimes[i] - TickTimes[i - 1], 40u);
    }
}

TEST_F(TickClockTest, TicksGoOnAcrossTheWrapOfTheClock) {
    NextTickTime = 0xFFFFFF00u; // 256 ms before the wrap
    uint32_t now = 0xFFFFFF00u;
    int total = 0;
    for (int pass = 0; pass < 40; ++pass) {
        now += 25; // wraps past zero after ~10 passes
        total += RunDueTicks(now, RecordTick);
    }
    EXPECT_EQ(now, 0x2E8u);
    EXPECT_EQ(total, 25); // 1000 ms of clock
    ASSERT_EQ(TickTimes.size(), 25u);
    for (size_t i = 1; i < TickTimes.size(); ++i) {
        EXPECT_EQ(static_cast<uint32_t>(TickTimes[i] - TickTimes[i - 1]), 40u);
    }
    EXPECT_EQ(TickTimes[6], 0xFFFFFFF0u);
    EXPECT_EQ(TickTimes[7], 0x18u);
}

TEST_F(TickClockTest, ClockBehindTheNextTickRunsNothing) {
    NextTickTime = 0x10u;
    // Just before the next tick, also when that means going back over the wrap.
    EXPECT_EQ(RunDueTicks(0x0Fu, RecordTick), 0);
    NextTickTime = 0x8u;
    EXPECT_EQ(RunDueTicks(0xFFFFFFF0u, RecordTick), 0);
    EXPECT_TRUE(TickTimes.empty());
}

TEST(PassPacer, SleepsTheRestOfTheRefreshInterval) {
    PassPacer pacer;
    SetPacerRate(pacer, 50);
    EXPECT_EQ(pacer.periodUs, 20000u);
    EXPECT_EQ(PacerSleepUs(pacer, 1000000), 20000u);
    // A pass that took 5 ms sleeps the other 15.
    EXPECT_EQ(PacerSleepUs(pacer, 1025000), 15000u);
    EXPECT_EQ(PacerSleepUs(pacer, 1040000), 20000u);
}

TEST(PassPacer, UnknownRateMeansSixtyHertz) {
    PassPacer pacer;
    SetPacerRate(pacer, 0);
    EXPECT_EQ(pacer.periodUs, 16666u);
    PassPacer untouched;
    EXPECT_EQ(PacerSleepUs(untouched, 500), 16666u);
}

TEST(PassPacer, AFrameThatWaitedForTheDisplaySleepsNothingAndASlowOneStartsAfresh) {
    PassPacer pacer;
    SetPacerRate(pacer, 60);
    PacerSleepUs(pacer, 0 + 1); // first pass
    // The swap itself waited a full interval: already on time, no sleep.
    EXPECT_EQ(PacerSleepUs(pacer, 1 + 16666 * 2), 0u);
    // 200 ms late: no burst of unslept passes afterwards, the next waits a full period.
    const uint64_t late = 1 + 16666 * 2 + 200000;
    EXPECT_EQ(PacerSleepUs(pacer, late), 0u);
    EXPECT_EQ(PacerSleepUs(pacer, late), 16666u);
}
