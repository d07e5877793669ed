// Keyboard input: SDL key codes to Windows virtual-key codes through the shared key table
// (platform/key_table.cpp), written into KeyTable.
#include "platform/sdl/key_map.h"

#include "platform/key_table.h"

namespace {

// SDL's code for a named key: the character it types, or its HID usage marked as a scancode.
SDL_Keycode SdlKeycodeOf(const NamedKey& named) {
    if (named.typedCharacter != 0) {
        return static_cast<SDL_Keycode>(named.typedCharacter);
    }
    return static_cast<SDL_Keycode>(SDL_SCANCODE_TO_KEYCODE(named.hidUsage));
}

int FindNamedKey(SDL_Keycode key, bool keypadNavigation) {
    int count = 0;
    const NamedKey* keys = NamedKeys(&count);
    for (int i = 0; i < count; ++i) {
        if (keys[i].keypadNavigation == keypadNavigation && SdlKeycodeOf(keys[i]) == key) {
            return keys[i].virtualKey;
        }
    }
    return -1;
}

// The code a key event stands for. SDL reports the keypad keys by their keypad symbol
// whatever the NumLock state, which it gives in the mods; a keypad key released after NumLock
// was switched on while it was held still clears its cursor key.
int VirtualKeyOfEvent(const SDL_KeyboardEvent& event) {
    const int code = VirtualKeyFromSdl(event.keysym.sym);
    const bool numLockOn = (event.keysym.mod & KMOD_NUM) != 0;
    if (code >= 0 || (numLockOn && event.type == SDL_KEYDOWN)) {
        return code;
    }
    return FindNamedKey(event.keysym.sym, true);
}

} // namespace

int VirtualKeyFromSdl(SDL_Keycode key) {
    // SDL's letter keys are the lower-case ASCII codes, its digits the ASCII digits.
    if ((key >= SDLK_a && key <= SDLK_z) || (key >= SDLK_0 && key <= SDLK_9)) {
        return VirtualKeyFromCharacter(static_cast<uint32_t>(key));
    }
    return FindNamedKey(key, false);
}

void ApplyKeyEvent(const SDL_KeyboardEvent& event) {
    // With Alt held Windows sends system-key messages instead, which the game ignores.
    ApplyVirtualKey(VirtualKeyOfEvent(event), event.type == SDL_KEYDOWN,
                    (event.keysym.mod & KMOD_ALT) != 0);
}

bool IsCloseShortcut(const SDL_KeyboardEvent& event) {
    return event.type == SDL_KEYDOWN && event.repeat == 0 && event.keysym.sym == SDLK_F4 &&
           (event.keysym.mod & KMOD_ALT) != 0;
}
