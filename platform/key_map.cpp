// Keyboard input: SDL key codes to Windows virtual-key codes, written into KeyTable.
#include "platform/key_map.h"

#include "game/game_state.h"

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
    for (const KeyPair& pair : NamedKeys) {
        if (pair.sdlKey == key) {
            return pair.virtualKey;
        }
    }
    return -1;
}

void ApplyKeyEvent(const SDL_KeyboardEvent& event) {
    const int code = VirtualKeyFromSdl(event.keysym.sym);
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
