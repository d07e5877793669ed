// The one table of the keys the game reads, shared by every shell: each key's virtual-key code
// with the standard names that SDL and a browser report it by, and the rules for which key
// events reach KeyTable. Standard library only.
#pragma once

#include <cstdint>

// A key the game reads besides the letters and digits, by three names: the Windows
// virtual-key code that KeyTable is indexed by, the USB HID usage of the key (SDL's scancode;
// SDL's key code is the usage with bit 30 set, or the character for keys that type one) and
// the W3C `code` a browser reports.
struct NamedKey {
    int virtualKey;
    uint32_t hidUsage;
    char typedCharacter; // the character the key types, 0 for none
    const char* domCode;
    bool keypadNavigation; // a keypad key that, with NumLock off, is a cursor key or Delete
};

// Every named key, the keypad's navigation keys last; `count` receives the number.
const NamedKey* NamedKeys(int* count);

// The virtual-key code of a letter (either case) or digit, or -1.
int VirtualKeyFromCharacter(uint32_t character);

// The virtual-key code of a browser's key event: letters and digits by the character the key
// types (`key`, so that the player's keyboard layout counts, as it does on the desktop), other
// keys by `code`; where the layout's key is no Latin letter or digit (a Russian "ф"), the
// letter or digit of the place it sits in (`code` "KeyA"). A keypad navigation key counts while
// NumLock is off (the browser then reports a `key` that is no digit nor "."), and always on its
// release, so that a key held while NumLock went on is still let go. -1 for a key the game has no
// code for.
int VirtualKeyFromDom(const char* key, const char* code, bool down);

// Writes one key event into KeyTable: down sets the entry, up clears it. A key pressed with
// Alt held (on Windows any system key, F10 too) never sets its entry; a release always clears
// it, so that a key let go while Alt is down does not stay held. Codes outside 0..255 are
// ignored. Every shell's key events come through here.
void ApplyVirtualKey(int virtualKey, bool down, bool altHeld);
