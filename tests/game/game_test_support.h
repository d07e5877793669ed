// The fixture of the game-core tests: the game back at its start-up state, the sound recorder
// emptied and the hand-set clock at a fixed time.
#pragma once

#include "game/game_state.h"
#include "tests/support/fake_platform_calls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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
