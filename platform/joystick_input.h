// The first joystick's buttons 1 to 4 for JoystickButtons: opened at start-up and after every
// F1 switch, picked up when plugged in while the game runs.
#pragma once

#include <SDL.h>

// Starts SDL's joystick support if needed and opens the first joystick when none is open.
// Without a joystick nothing happens. Main thread: at start-up and after every window switch.
void CaptureJoysticks();

// Handles SDL's joystick events: device added (opened when none is) and removed (its buttons
// let go, the next one opened), and button changes of the open joystick into JoystickButtons.
// Other events are ignored. Main thread, from the event handling of the main loop.
void HandleJoystickEvent(const SDL_Event& event);

// Closes the open joystick and stops SDL's joystick support. Main thread, at shutdown.
void ReleaseJoysticks();
