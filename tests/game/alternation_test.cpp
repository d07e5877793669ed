// The press keys: pressure rises only when the A side and the L side alternate, whether the
// player uses the keyboard, the joystick or both.
#include "game_test_support.h"

#include "game/game_tick.h"

namespace {

class AlternationTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        StartGameFromMenu();
    }

    // Runs one tick with the given inputs held and returns what the presses added.
    float PressTick(bool a, bool l, bool button1 = false, bool button2 = false) {
        KeyTable[Key::A] = a;
        KeyTable[Key::L] = l;
        JoystickButtons[0] = button1;
        JoystickButtons[1] = button2;
        float expected = Player().pressure - Player().leak;
        RunTicks(1);
        KeyTable[Key::A] = KeyTable[Key::L] = false;
        JoystickButtons[0] = JoystickButtons[1] = false;
        return Player().pressure - expected;
    }
};

TEST_F(AlternationTest, KeysMustAlternateStartingWithA) {
    EXPECT_FLOAT_EQ(PressTick(false, true), 0.0f) << "the first game waits for A";
    EXPECT_FLOAT_EQ(PressTick(true, false), 1.0f);
    EXPECT_EQ(PressPhase, 2);
    EXPECT_FLOAT_EQ(PressTick(true, false), 0.0f) << "A again adds nothing";
    EXPECT_FLOAT_EQ(PressTick(false, true), 1.0f);
    EXPECT_EQ(PressPhase, 1);
}

TEST_F(AlternationTest, HoldingOneKeyCountsOnce) {
    KeyTable[Key::A] = true;
    float before = Player().pressure;
    RunTicks(5);
    // One press of 1.0, minus the leak of the five ticks (0 + 0.0005 + ... + 0.002).
    EXPECT_NEAR(Player().pressure, before + 1.0f - 0.005f, 1e-4);
}

TEST_F(AlternationTest, BothKeysOrBothButtonsAddNothing) {
    EXPECT_FLOAT_EQ(PressTick(true, true), 0.0f);
    EXPECT_FLOAT_EQ(PressTick(false, false, true, true), 0.0f);
    EXPECT_EQ(PressPhase, 1);
}

TEST_F(AlternationTest, JoystickButtonsStandForAAndL) {
    EXPECT_FLOAT_EQ(PressTick(false, false, true, false), 1.0f);
    EXPECT_FLOAT_EQ(PressTick(false, false, false, true), 1.0f);
    EXPECT_FLOAT_EQ(PressTick(false, false, false, true), 0.0f);
}

TEST_F(AlternationTest, KeyboardAndJoystickOnOppositeSidesAddNothing) {
    // A with button 2 (or button 1 with L) would otherwise pass both steps in every tick.
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(PressTick(true, false, false, true), 0.0f);
        EXPECT_FLOAT_EQ(PressTick(false, true, true, false), 0.0f);
    }
    EXPECT_EQ(PressPhase, 1);
}

TEST_F(AlternationTest, KeyboardAndJoystickOnTheSameSideCountOnce) {
    EXPECT_FLOAT_EQ(PressTick(true, false, true, false), 1.0f);
    EXPECT_FLOAT_EQ(PressTick(false, true, false, true), 1.0f);
}

TEST_F(AlternationTest, PressPhaseCarriesIntoTheNextGame) {
    PressTick(true, false);
    ASSERT_EQ(PressPhase, 2);
    KeyTable[Key::Escape] = true;
    RunTicks(1);
    KeyTable[Key::Escape] = false;
    ASSERT_FALSE(Player().inGame);
    StartGameFromMenu();
    EXPECT_FLOAT_EQ(PressTick(true, false), 0.0f) << "the new game waits for L";
    EXPECT_FLOAT_EQ(PressTick(false, true), 1.0f);
}

TEST_F(AlternationTest, PressesStillCountAfterThePressureIsGone) {
    Player().pressure = 0.0f;
    Player().leak = 0.25f;
    RunTicks(1);
    ASSERT_FLOAT_EQ(Player().pressure, 0.0f);
    float height = Player().pistonHeight;
    KeyTable[Key::A] = true;
    RunTicks(1);
    EXPECT_FLOAT_EQ(Player().pressure, 0.75f) << "one press brings the pressure to 1 - leak";
    EXPECT_FLOAT_EQ(Player().pistonHeight, height) << "the piston stops while under pressure";
}

} // namespace
