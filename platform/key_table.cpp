// The keys the game knows and the rules of KeyTable, shared by every shell.
#include "platform/key_table.h"

#include "game/game_state.h"

#include <cstring>
#include <iterator>

namespace {

// clang-format off
constexpr NamedKey Keys[] = {
    {Key::Backspace, 0x2A, '\b',   "Backspace",     false},
    {Key::Return,    0x28, '\r',   "Enter",         false},
    // The keypad's Enter is Return on Windows too.
    {Key::Return,    0x58, 0,      "NumpadEnter",   false},
    {Key::Escape,    0x29, '\x1B', "Escape",        false},
    {Key::Space,     0x2C, ' ',    "Space",         false},
    {Key::Left,      0x50, 0,      "ArrowLeft",     false},
    {Key::Up,        0x52, 0,      "ArrowUp",       false},
    {Key::Right,     0x4F, 0,      "ArrowRight",    false},
    {Key::Down,      0x51, 0,      "ArrowDown",     false},
    {Key::Delete,    0x4C, '\x7F', "Delete",        false},
    {Key::F1,        0x3A, 0,      "F1",            false},
    {Key::Left,      0x5C, 0,      "Numpad4",       true},
    {Key::Up,        0x60, 0,      "Numpad8",       true},
    {Key::Right,     0x5E, 0,      "Numpad6",       true},
    {Key::Down,      0x5A, 0,      "Numpad2",       true},
    {Key::Delete,    0x63, 0,      "NumpadDecimal", true},
};
// clang-format on

const NamedKey* FindByDomCode(const char* code) {
    for (const NamedKey& named : Keys) {
        if (std::strcmp(named.domCode, code) == 0) {
            return &named;
        }
    }
    return nullptr;
}

// A browser reports a keypad key by what it does: its digit or "." with NumLock on.
bool TypesItsDigit(const char* key) {
    return (key[0] >= '0' && key[0] <= '9' && key[1] == '\0') || std::strcmp(key, ".") == 0 ||
           std::strcmp(key, ",") == 0;
}

// One character of `key` (a browser's `key` is the character a key types, or a name).
bool SingleCharacter(const char* key, uint32_t& character) {
    if (key[0] == '\0' || key[1] != '\0') {
        return false;
    }
    character = static_cast<unsigned char>(key[0]);
    return true;
}

// "KeyA".."KeyZ" and "Digit0".."Digit9": where a letter or digit key sits, whatever the
// layout types with it.
int VirtualKeyFromDomPlace(const char* code) {
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0') {
        return Key::A + (code[3] - 'A');
    }
    if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' &&
        code[6] == '\0') {
        return Key::Digit0 + (code[5] - '0');
    }
    return -1;
}

} // namespace

const NamedKey* NamedKeys(int* count) {
    *count = static_cast<int>(std::size(Keys));
    return Keys;
}

int VirtualKeyFromCharacter(uint32_t character) {
    if (character >= 'a' && character <= 'z') {
        return Key::A + static_cast<int>(character - 'a');
    }
    if (character >= 'A' && character <= 'Z') {
        return Key::A + static_cast<int>(character - 'A');
    }
    if (character >= '0' && character <= '9') {
        return Key::Digit0 + static_cast<int>(character - '0');
    }
    return -1;
}

int VirtualKeyFromDom(const char* key, const char* code, bool down) {
    if (key == nullptr || code == nullptr) {
        return -1;
    }
    const NamedKey* named = FindByDomCode(code);
    if (named != nullptr && named->keypadNavigation) {
        return !down || !TypesItsDigit(key) ? named->virtualKey : -1;
    }
    uint32_t character = 0;
    if (SingleCharacter(key, character) && VirtualKeyFromCharacter(character) >= 0) {
        return VirtualKeyFromCharacter(character);
    }
    if (named != nullptr) {
        return named->virtualKey;
    }
    // A layout whose keys type no Latin letters (Cyrillic, Greek, Hebrew): the key in the A
    // place is A, so that the game can be played and a name typed.
    return VirtualKeyFromDomPlace(code);
}

void ApplyVirtualKey(int virtualKey, bool down, bool altHeld) {
    if (virtualKey < 0 || virtualKey > 255) {
        return;
    }
    if (!down) {
        KeyTable[virtualKey] = false;
    } else if (!altHeld) {
        KeyTable[virtualKey] = true;
    }
}
