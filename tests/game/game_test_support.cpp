// The shared fixture of the game-core tests.
#include "game_test_support.h"

#include "game/game_tick.h"

#include <algorithm>

void GameTest::SetUp() {
    ResetGameState();
    SoundRequests.clear();
    FakeClockMs = 12345;
    AddPlayer("VOV1ER0U");
    Players[0].pressure = 0.0f;
    Players[0].leak = 0.0f;
    Players[0].pistonHeight = 0.0f;
    Players[0].pistonSpeed = 0.0f;
}

void GameTest::RunTicks(int count) {
    for (int i = 0; i < count; ++i) {
        GameTick(tickTime);
        tickTime += TickMs;
    }
}

void GameTest::StartGameFromMenu() {
    ScreenState = Screen::MainMenu;
    MenuCursor = 0;
    KeyTable[Key::Return] = true;
    RunTicks(1);
    ASSERT_TRUE(Player().inGame);
    SoundRequests.clear();
}

void GameTest::Tap(int key) {
    KeyTable[key] = true;
    RunTicks(1);
    KeyTable[key] = false;
}

int GameTest::CountSounds(const std::string& name) const {
    return static_cast<int>(std::count(SoundRequests.begin(), SoundRequests.end(), name));
}
