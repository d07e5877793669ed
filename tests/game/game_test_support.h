// Test doubles for the game core's calls out (a sound recorder and a hand-set clock) and a
// fixture that puts the game back to its start-up state.
#pragma once

#include "game/game_state.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Every PlaySoundEffect request, in order.
extern std::vector<std::string> SoundRequests;
// What GetTickCount returns.
extern uint32_t FakeClockMs;

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;

    PlayerState& Player() { return Players[0]; }
    // Runs `count` ticks with consecutive timestamps, as the main loop's catch-up does.
    void RunTicks(int count);
    // Starts a game from the main menu through an activation, then clears the sounds.
    void StartGameFromMenu();
    // Holds the key for one tick, then releases it.
    void Tap(int key);
    int CountSounds(const std::string& name) const;

    uint32_t tickTime = 1000;
};
