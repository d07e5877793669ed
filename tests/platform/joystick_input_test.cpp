// Joystick input on SDL's virtual joystick: picked up when plugged in after start-up, buttons
// 1-4 into JoystickButtons, let go when pulled out, and the test hook's command lines.
#include "platform/sdl/joystick_input.h"

#include "game/game_state.h"
#include "platform/sdl/virtual_joystick.h"
#include "platform/shell.h"

#include <gtest/gtest.h>

namespace {

// Hands every queued event to the game's joystick handling, as the main loop would.
void DeliverEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        HandleJoystickEvent(event);
    }
}

bool Buttons(bool b1, bool b2, bool b3, bool b4) {
    return JoystickButtons[0] == b1 && JoystickButtons[1] == b2 && JoystickButtons[2] == b3 &&
           JoystickButtons[3] == b4;
}

class JoystickTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameState();
        CaptureJoysticks(); // none plugged in yet
        DeliverEvents();
    }
    void TearDown() override {
        StopVirtualJoystickControl();
        ReleaseJoysticks();
    }
};

} // namespace

TEST_F(JoystickTest, AJoystickPluggedInWhileRunningIsPickedUp) {
    ASSERT_TRUE(ApplyVirtualJoystickCommand("plug"));
    DeliverEvents();
    ASSERT_TRUE(ApplyVirtualJoystickCommand("press 1"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(true, false, false, false));
    ASSERT_TRUE(ApplyVirtualJoystickCommand("press 2"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(true, true, false, false)); // both held: the press step sees no press
    ASSERT_TRUE(ApplyVirtualJoystickCommand("release 1"));
    ASSERT_TRUE(ApplyVirtualJoystickCommand("press 4"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(false, true, false, true));
}

TEST_F(JoystickTest, PullingItOutLetsItsButtonsGoAndPluggingAgainWorks) {
    ASSERT_TRUE(ApplyVirtualJoystickCommand("plug"));
    DeliverEvents();
    ASSERT_TRUE(ApplyVirtualJoystickCommand("press 3"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(false, false, true, false));
    ASSERT_TRUE(ApplyVirtualJoystickCommand("unplug"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(false, false, false, false));

    ASSERT_TRUE(ApplyVirtualJoystickCommand("plug"));
    DeliverEvents();
    ASSERT_TRUE(ApplyVirtualJoystickCommand("press 2"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(false, true, false, false));
}

TEST_F(JoystickTest, CaptureAfterAWindowSwitchKeepsTheOpenJoystick) {
    ASSERT_TRUE(ApplyVirtualJoystickCommand("plug"));
    DeliverEvents();
    CaptureJoysticks();
    ASSERT_TRUE(ApplyVirtualJoystickCommand("press 1"));
    DeliverEvents();
    EXPECT_TRUE(Buttons(true, false, false, false));
}

TEST_F(JoystickTest, HookRefusesCommandsItDoesNotKnow) {
    EXPECT_FALSE(ApplyVirtualJoystickCommand("press 1")); // nothing plugged in
    EXPECT_FALSE(ApplyVirtualJoystickCommand("wiggle"));
    ASSERT_TRUE(ApplyVirtualJoystickCommand("plug"));
    EXPECT_FALSE(ApplyVirtualJoystickCommand("press 5"));
    EXPECT_FALSE(ApplyVirtualJoystickCommand("press 0"));
    EXPECT_FALSE(ApplyVirtualJoystickCommand("release x"));
}
