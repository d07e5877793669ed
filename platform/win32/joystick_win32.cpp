// The joysticks through WinMM's capture: their button messages go to the game window.
#include "game/game_state.h"
#include "platform/shell.h"
#include "platform/win32/win32_shell.h"

void CaptureJoysticks() {
    // Period 0 is raised by the system to the shortest the driver allows; false: messages at
    // every poll. Without a joystick the calls fail, silently.
    joySetCapture(GameWindowHandle(), JOYSTICKID1, 0, FALSE);
    joySetCapture(GameWindowHandle(), JOYSTICKID2, 0, FALSE);
}

void ReleaseJoysticks() {
    joyReleaseCapture(JOYSTICKID1);
    joyReleaseCapture(JOYSTICKID2);
}

void ApplyJoystickButtons(WPARAM buttons) {
    // wParam holds the state of every button, bit 0 (JOY_BUTTON1) to bit 3 (JOY_BUTTON4).
    for (int button = 0; button < 4; ++button) {
        JoystickButtons[button] = (buttons & (WPARAM{1} << button)) != 0;
    }
}
