// A test hook: with KF_VIRTUAL_JOYSTICK set to the path of a FIFO, the game reads commands
// from it and drives an SDL virtual joystick, so end-to-end tests can plug a joystick in,
// press its buttons and pull it out while the real game runs. One command per line:
//   plug            attach a virtual joystick with four buttons
//   unplug          detach it
//   press N         hold button N (1 to 4)
//   release N       let button N go
// Without the variable nothing here does anything.
#pragma once

// Opens the FIFO named by KF_VIRTUAL_JOYSTICK (non-blocking). Main thread, at start-up after
// CaptureJoysticks.
void StartVirtualJoystickControl();

// Reads whatever commands have arrived and carries out the complete lines. Main thread, once
// per drawing pass; returns at once when nothing is waiting.
void PollVirtualJoystickControl();

// Carries out one command line (without its newline); false for a line it does not know.
bool ApplyVirtualJoystickCommand(const char* line);

// Detaches the virtual joystick and closes the FIFO. Main thread, at shutdown.
void StopVirtualJoystickControl();
