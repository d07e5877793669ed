// The window procedure of the SDL build: one SDL event into the game's input tables, the
// window state and the quit request.
#pragma once

#include <SDL.h>

// Handles one event taken from the queue by the main loop: keys into KeyTable, joystick
// buttons into JoystickButtons, minimise and restore into WindowActive, size changes into
// ResizeView, a close request into a quit event. False for the quit event itself, which
// ends the main loop for a normal shutdown. Main thread.
bool HandleGameEvent(const SDL_Event& event);
