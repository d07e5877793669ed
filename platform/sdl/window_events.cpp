// Event handling of the game window: the counterpart of a window procedure for SDL's events,
// and the shell's one-event step of the main loop.
#include "platform/sdl/window_events.h"

#include "game/game_state.h"
#include "platform/sdl/hang_up.h"
#include "platform/sdl/joystick_input.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sdl/virtual_joystick.h"
#include "platform/shell.h"
#include "render/render.h"

namespace {

// Closing the window only asks for the quit; the loop ends when that event is taken, and
// shutdown saves before the window goes.
void PostQuit() {
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void HandleWindowChange(const SDL_WindowEvent& event) {
    // Events still queued for a window closed by an F1 switch must not touch the new one.
    if (event.windowID != GameWindowId()) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
        WindowActive = false;
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        WindowActive = true;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        ResizeView(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        PostQuit();
        break;
    default:
        break;
    }
}

} // namespace

bool HandleGameEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_WINDOWEVENT:
        HandleWindowChange(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (IsCloseShortcut(event.key)) {
            PostQuit();
        } else {
            ApplyKeyEvent(event.key);
        }
        break;
    default:
        HandleJoystickEvent(event);
        break;
    }
    return true;
}

ShellEvent ShellTakeEvent() {
    // The terminal that started the game has gone: as good as the quit message.
    if (HangUpCaught()) {
        return ShellEvent::Quit;
    }
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        // Between events, once a drawing pass: whatever the tests' joystick was told to do.
        PollVirtualJoystickControl();
        return ShellEvent::NoEvent;
    }
    return HandleGameEvent(event) ? ShellEvent::Handled : ShellEvent::Quit;
}
