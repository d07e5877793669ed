// SDL's keys to the Windows virtual-key codes that KeyTable is indexed by, through the shared
// key table (platform/key_table.h), and the rule for which key events reach KeyTable at all.
#pragma once

#include <SDL.h>

// The virtual-key code of `key` (SDLK_a gives 0x41, SDLK_F1 gives 0x70), or -1 for a key the
// game has no code for. Called by the window event handling for every key event.
int VirtualKeyFromSdl(SDL_Keycode key);

// Writes one key event into KeyTable: a key-down (a repeat too) sets the key's entry, a key-up
// clears it. With NumLock off the keypad's 8, 2, 4, 6 and period are the cursor keys and Delete.
// Keys pressed with Alt held and F10 are system keys and never set an entry. Called on the main
// thread for SDL_KEYDOWN and SDL_KEYUP.
void ApplyKeyEvent(const SDL_KeyboardEvent& event);

// True for the key-down that asks to close the window as the system menu does (Alt+F4).
bool IsCloseShortcut(const SDL_KeyboardEvent& event);
