// Joystick input on SDL: the first joystick opened and kept, its first four buttons mirrored.
#include "platform/sdl/joystick_input.h"

#include "game/game_state.h"
#include "platform/sdl/virtual_joystick.h"
#include "platform/shell.h"

namespace {

SDL_Joystick* OpenJoystick = nullptr;
bool JoystickSubsystemStarted = false;

void ClearButtons() {
    for (bool& button : JoystickButtons) {
        button = false;
    }
}

void OpenFirstJoystick() {
    if (OpenJoystick != nullptr) {
        return;
    }
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count && OpenJoystick == nullptr; ++index) {
        OpenJoystick = SDL_JoystickOpen(index);
    }
}

bool IsOpenJoystick(SDL_JoystickID id) {
    return OpenJoystick != nullptr && SDL_JoystickInstanceID(OpenJoystick) == id;
}

} // namespace

void CaptureJoysticks() {
    if (!JoystickSubsystemStarted) {
        // Buttons count while another window has the focus, as a captured joystick's do.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
            return;
        }
        JoystickSubsystemStarted = true;
    }
    OpenFirstJoystick();
    // The tests' joystick, where they asked for one; opened once.
    StartVirtualJoystickControl();
}

void HandleJoystickEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYDEVICEADDED:
        OpenFirstJoystick();
        break;
    case SDL_JOYDEVICEREMOVED:
        if (IsOpenJoystick(event.jdevice.which)) {
            SDL_JoystickClose(OpenJoystick);
            OpenJoystick = nullptr;
            ClearButtons();
            OpenFirstJoystick();
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        // SDL counts buttons from 0; the game's buttons 1..4 sit at JoystickButtons[0..3].
        if (IsOpenJoystick(event.jbutton.which) && event.jbutton.button < 4) {
            JoystickButtons[event.jbutton.button] = event.jbutton.state == SDL_PRESSED;
        }
        break;
    default:
        break;
    }
}

void ReleaseJoysticks() {
    StopVirtualJoystickControl();
    if (OpenJoystick != nullptr) {
        SDL_JoystickClose(OpenJoystick);
        OpenJoystick = nullptr;
    }
    if (JoystickSubsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        JoystickSubsystemStarted = false;
    }
}
