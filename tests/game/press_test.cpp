// The press step over whole games: growth, release, the sinking piston, the end of a game
// with and without a top-ten entry, Escape, and the camera.
#include "game_test_support.h"

#include "game/game_tick.h"

namespace {

class PressTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        StartGameFromMenu();
    }

    // Runs ticks until the game ends; returns the number of ticks it took (0 if it never did).
    int PlayUntilEnd(int limit) {
        for (int tick = 1; tick <= limit; ++tick) {
            RunTicks(1);
            if (!Player().inGame) {
                return tick;
            }
        }
        return 0;
    }
};

TEST_F(PressTest, StartingAGameSetsItsFields) {
    EXPECT_TRUE(Player().inGame);
    EXPECT_FLOAT_EQ(Player().pressure, 10.0f);
    EXPECT_FLOAT_EQ(Player().leak, 0.0f);
    EXPECT_FLOAT_EQ(Player().length, 0.0f);
    EXPECT_FLOAT_EQ(Player().pistonHeight, 5.0f);
    EXPECT_FLOAT_EQ(Player().pistonSpeed, 0.0f);
    EXPECT_EQ(ScreenState, Screen::MainMenu);
}

TEST_F(PressTest, OneTickLeaksGrowsTheLeakAndTheSausage) {
    RunTicks(1);
    EXPECT_FLOAT_EQ(Player().pressure, 10.0f);
    EXPECT_FLOAT_EQ(Player().leak, 0.0005f);
    EXPECT_FLOAT_EQ(Player().length, 0.01f);
    RunTicks(1);
    EXPECT_FLOAT_EQ(Player().pressure, 9.9995f);
    EXPECT_FLOAT_EQ(Player().leak, 0.001f);
    EXPECT_NEAR(Player().length, 0.0199995f, 1e-6);
}

TEST_F(PressTest, AGameWithoutKeysEndsOnItsTick302) {
    int releaseTick = 0;
    for (int tick = 1; tick <= 400 && releaseTick == 0; ++tick) {
        RunTicks(1);
        if (Player().pressure <= 0.0f) {
            releaseTick = tick;
        }
    }
    EXPECT_EQ(releaseTick, 201);
    EXPECT_EQ(CountSounds("rel"), 1);
    int endTick = releaseTick + PlayUntilEnd(200);
    EXPECT_EQ(endTick, 302);
    EXPECT_NEAR(Player().length, 1.33f, 0.01f);
    EXPECT_NEAR(Player().pistonHeight, -5.1f, 1e-3);
    // 1.33 cm beats no row of the default table.
    EXPECT_EQ(ScreenState, Screen::MainMenu);
    EXPECT_EQ(CountSounds("klatschen"), 0);
}

TEST_F(PressTest, ReleasePlaysOncePerGameEvenIfPressureReturns) {
    Player().pressure = 0.0f;
    RunTicks(1);
    EXPECT_EQ(CountSounds("rel"), 1);
    Tap(Key::A);
    ASSERT_GT(Player().pressure, 0.0f);
    Player().pressure = 0.0f;
    RunTicks(3);
    EXPECT_EQ(CountSounds("rel"), 1);
}

TEST_F(PressTest, PistonSinksFasterEachTickAndKeepsItsSpeed) {
    Player().pressure = 0.0f;
    RunTicks(3);
    EXPECT_FLOAT_EQ(Player().pistonHeight, 5.0f - 0.0f - 0.002f - 0.004f);
    EXPECT_FLOAT_EQ(Player().pistonSpeed, 0.006f);
    Tap(Key::A);
    EXPECT_FLOAT_EQ(Player().pistonSpeed, 0.006f);
}

TEST_F(PressTest, TopTenLengthEntersTheTableWithApplause) {
    Player().length = 11.5f;
    Player().pressure = 0.0f;
    Player().pistonHeight = -5.0f;
    RunTicks(1);
    EXPECT_FALSE(Player().inGame);
    EXPECT_FLOAT_EQ(HighscoreTable[0].length, 11.5f);
    EXPECT_STREQ(HighscoreTable[0].name, "VOV1ER0U");
    EXPECT_EQ(CountSounds("klatschen"), 1);
    EXPECT_EQ(ScreenState, Screen::Congratulations);
    EXPECT_EQ(MenuCursor, 0u);
}

TEST_F(PressTest, LengthEqualToRowNineDoesNotEnter) {
    Player().length = 2.0f;
    Player().pressure = 0.0f;
    Player().pistonHeight = -5.0f;
    RunTicks(1);
    EXPECT_FALSE(Player().inGame);
    EXPECT_FLOAT_EQ(HighscoreTable[9].length, 2.0f);
    EXPECT_STREQ(HighscoreTable[9].name, "QUARZMOLCH");
    EXPECT_EQ(CountSounds("klatschen"), 0);
    EXPECT_EQ(ScreenState, Screen::MainMenu);
}

TEST_F(PressTest, EscapeLeavesAtTheEndOfTheTickWithoutAnEntry) {
    Player().length = 50.0f;
    KeyTable[Key::Escape] = true;
    RunTicks(1);
    EXPECT_FALSE(Player().inGame);
    EXPECT_TRUE(KeyTable[Key::Escape]) << "the press step does not clear Escape";
    EXPECT_GT(Player().length, 50.0f) << "the rest of the press step still ran";
    EXPECT_FLOAT_EQ(HighscoreTable[0].length, 11.0f);
    EXPECT_EQ(CountSounds("klatschen"), 0);
    EXPECT_EQ(ScreenState, Screen::MainMenu);
}

TEST_F(PressTest, CameraKeysAndClamps) {
    float yaw = Player().yaw;
    KeyTable[Key::Left] = true;
    KeyTable[Key::Right] = true;
    tickTime = 0; // sin(0) = 0: no drift in this tick
    RunTicks(1);
    EXPECT_FLOAT_EQ(Player().yaw, yaw);
    KeyTable[Key::Left] = KeyTable[Key::Right] = false;
    Player().pitch = 44.0f;
    KeyTable[Key::Down] = true;
    tickTime = 0;
    RunTicks(1);
    EXPECT_FLOAT_EQ(Player().pitch, 45.5f) << "the next tick's drift clamps to 45 again";
    tickTime = 0;
    RunTicks(1);
    EXPECT_FLOAT_EQ(Player().pitch, 46.5f);
}

TEST_F(PressTest, CatchUpTicksSeeHeldKeysInEveryTickButClearedEntriesOnce) {
    KeyTable[Key::Escape] = true;
    RunTicks(1);
    KeyTable[Key::Escape] = false;
    ScreenState = Screen::MainMenu;
    MenuCursor = 0;
    KeyTable[Key::Down] = true;
    RunTicks(3);
    EXPECT_EQ(MenuCursor, 1u);
}

} // namespace
