// The first joystick's buttons 1 to 4 for JoystickButtons: opened by CaptureJoysticks
// (platform/shell.h) at start-up and after every F1 switch, picked up when plugged in while the
// game runs.
#pragma once

#include <SDL.h>

// Handles SDL's joystick events: device added (opened when none is) and removed (its buttons
// let go, the next one opened), and button changes of the open joystick into JoystickButtons.
// Other events are ignored. Main thread, from the event handling of the main loop.
void HandleJoystickEvent(const SDL_Event& event);
