// Keyboard input: SDL key codes to Windows virtual-key codes, written into KeyTable.
#include "platform/sdl/key_map.h"

#include "game/game_state.h"

#include <iterator>

namespace {

struct KeyPair {
    SDL_Keycode sdlKey;
    int virtualKey;
};

// Keys outside the letter and digit runs. The keypad's Enter is Return on Windows too.
constexpr KeyPair NamedKeys[] = {
    {SDLK_BACKSPACE, Key::Backspace},
    {SDLK_RETURN, Key::Return},
    {SDLK_KP_ENTER, Key::Return},
    {SDLK_ESCAPE, Key::Escape},
    {SDLK_SPACE, Key::Space},
    {SDLK_LEFT, Key::Left},
    {SDLK_UP, Key::Up},
    {SDLK_RIGHT, Key::Right},
    {SDLK_DOWN, Key::Down},
    {SDLK_DELETE, Key::Delete},
    {SDLK_F1, Key::F1},
};

// The keypad keys that, with NumLock off, Windows reports as the cursor keys and Delete. SDL
// reports them by their keypad symbol whatever the NumLock state, which it gives in the mods.
constexpr KeyPair KeypadNavigationKeys[] = {
    {SDLK_KP_4, Key::Left}, {SDLK_KP_8, Key::Up},          {SDLK_KP_6, Key::Right},
    {SDLK_KP_2, Key::Down}, {SDLK_KP_PERIOD, Key::Delete},
};

int FindKey(const KeyPair* pairs, size_t count, SDL_Keycode key) {
    for (size_t i = 0; i < count; ++i) {
        if (pairs[i].sdlKey == key) {
            return pairs[i].virtualKey;
        }
    }
    return -1;
}

// The code a key event stands for. A keypad key released after NumLock was switched on while
// it was held still clears its cursor key.
int VirtualKeyOfEvent(const SDL_KeyboardEvent& event) {
    const int code = VirtualKeyFromSdl(event.keysym.sym);
    const bool numLockOn = (event.keysym.mod & KMOD_NUM) != 0;
    if (code >= 0 || (numLockOn && event.type == SDL_KEYDOWN)) {
        return code;
    }
    return FindKey(KeypadNavigationKeys, std::size(KeypadNavigationKeys), event.keysym.sym);
}

} // namespace

int VirtualKeyFromSdl(SDL_Keycode key) {
    // SDL's letter keys are the lower-case ASCII codes, its digits the ASCII digits; Windows
    // uses the upper-case letters and the same digits.
    if (key >= SDLK_a && key <= SDLK_z) {
        return Key::A + static_cast<int>(key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return Key::Digit0 + static_cast<int>(key - SDLK_0);
    }
    return FindKey(NamedKeys, std::size(NamedKeys), key);
}

void ApplyKeyEvent(const SDL_KeyboardEvent& event) {
    const int code = VirtualKeyOfEvent(event);
    if (code < 0) {
        return;
    }
    if (event.type == SDL_KEYDOWN) {
        // With Alt held Windows sends system-key messages instead, which the game ignores.
        if ((event.keysym.mod & KMOD_ALT) != 0) {
            return;
        }
        KeyTable[code] = true;
    } else if (event.type == SDL_KEYUP) {
        // Releases always clear: a key let go while Alt is down must not stay held.
        KeyTable[code] = false;
    }
}

bool IsCloseShortcut(const SDL_KeyboardEvent& event) {
    return event.type == SDL_KEYDOWN && event.repeat == 0 && event.keysym.sym == SDLK_F4 &&
           (event.keysym.mod & KMOD_ALT) != 0;
}
