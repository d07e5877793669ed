// The key table: SDL keys and a browser's keys to virtual-key codes, and which events set or
// clear KeyTable.
#include "platform/key_table.h"
#include "platform/sdl/key_map.h"

#include "game/game_state.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

SDL_KeyboardEvent KeyEvent(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_KeyboardEvent event;
    SDL_zero(event);
    event.type = type;
    event.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.repeat = repeat;
    event.keysym.sym = key;
    event.keysym.mod = mod;
    return event;
}

class KeyTableTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetGameState(); }
};

} // namespace

TEST(KeyMap, LettersDigitsAndNamedKeysGetTheirWindowsCodes) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a), 0x41);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_l), 0x4C);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), 0x5A);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0), 0x30);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9), 0x39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE), 0x08);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN), 0x0D);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER), 0x0D);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE), 0x1B);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE), 0x20);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT), 0x25);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP), 0x26);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT), 0x27);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN), 0x28);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DELETE), 0x2E);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1), 0x70);
}

TEST(KeyMap, KeysTheGameDoesNotReadHaveNoCode) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F10), -1);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F2), -1);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_1), -1);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT), -1);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN), -1);
}

TEST_F(KeyTableTest, DownSetsUpClearsAndRepeatSetsAgainAfterTheGameCleared) {
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_RETURN));
    EXPECT_TRUE(KeyTable[Key::Return]);
    KeyTable[Key::Return] = false; // the menu handles the press and clears it
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_NONE, 1));
    EXPECT_TRUE(KeyTable[Key::Return]);
    ApplyKeyEvent(KeyEvent(SDL_KEYUP, SDLK_RETURN));
    EXPECT_FALSE(KeyTable[Key::Return]);
}

TEST_F(KeyTableTest, ShiftedLettersStillSetTheLetter) {
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_q, KMOD_LSHIFT));
    EXPECT_TRUE(KeyTable[0x51]);
}

TEST_F(KeyTableTest, SystemKeysNeverReachTheTable) {
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_LALT));
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_F1, KMOD_RALT));
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_F10));
    for (int code = 0; code < 256; ++code) {
        EXPECT_FALSE(KeyTable[code]) << "code " << code;
    }
}

TEST_F(KeyTableTest, ReleaseWithAltHeldStillLetsTheKeyGo) {
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_a));
    ApplyKeyEvent(KeyEvent(SDL_KEYUP, SDLK_a, KMOD_LALT));
    EXPECT_FALSE(KeyTable[Key::A]);
}

TEST_F(KeyTableTest, KeypadIsCursorKeysAndDeleteOnlyWithNumLockOff) {
    const std::pair<SDL_Keycode, int> keypad[] = {{SDLK_KP_4, Key::Left},
                                                  {SDLK_KP_8, Key::Up},
                                                  {SDLK_KP_6, Key::Right},
                                                  {SDLK_KP_2, Key::Down},
                                                  {SDLK_KP_PERIOD, Key::Delete}};
    for (const auto& [sdlKey, code] : keypad) {
        ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, sdlKey));
        EXPECT_TRUE(KeyTable[code]) << "NumLock off, code " << code;
        ApplyKeyEvent(KeyEvent(SDL_KEYUP, sdlKey));
        EXPECT_FALSE(KeyTable[code]) << "NumLock off, code " << code;
        // With NumLock on they are digits and the decimal point, which the game does not read.
        ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, sdlKey, KMOD_NUM));
        EXPECT_FALSE(KeyTable[code]) << "NumLock on, code " << code;
    }
    // NumLock switched on while the key is held: its release still lets the cursor key go.
    ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, SDLK_KP_8));
    ApplyKeyEvent(KeyEvent(SDL_KEYUP, SDLK_KP_8, KMOD_NUM));
    EXPECT_FALSE(KeyTable[Key::Up]);
}

TEST(KeyMap, AltF4IsACloseRequestButF4AloneAndItsRepeatAreNot) {
    EXPECT_TRUE(IsCloseShortcut(KeyEvent(SDL_KEYDOWN, SDLK_F4, KMOD_LALT)));
    EXPECT_FALSE(IsCloseShortcut(KeyEvent(SDL_KEYDOWN, SDLK_F4)));
    EXPECT_FALSE(IsCloseShortcut(KeyEvent(SDL_KEYUP, SDLK_F4, KMOD_LALT)));
    EXPECT_FALSE(IsCloseShortcut(KeyEvent(SDL_KEYDOWN, SDLK_F4, KMOD_LALT, 1)));
}

// A browser names a key twice: `key` is what it types on the player's layout, `code` where it
// sits. Letters and digits follow the layout, as SDL's key codes do; the rest go by `code`.
TEST(KeyMapDom, LettersByWhatTheyTypeOtherKeysByWhereTheySit) {
    EXPECT_EQ(VirtualKeyFromDom("a", "KeyA", true), Key::A);
    EXPECT_EQ(VirtualKeyFromDom("A", "KeyA", true), Key::A);
    // On a French keyboard the key that types "a" sits where "q" does on an English one.
    EXPECT_EQ(VirtualKeyFromDom("a", "KeyQ", true), Key::A);
    EXPECT_EQ(VirtualKeyFromDom("7", "Digit7", true), Key::Digit0 + 7);
    EXPECT_EQ(VirtualKeyFromDom("Enter", "Enter", true), Key::Return);
    EXPECT_EQ(VirtualKeyFromDom("Enter", "NumpadEnter", true), Key::Return);
    EXPECT_EQ(VirtualKeyFromDom(" ", "Space", true), Key::Space);
    EXPECT_EQ(VirtualKeyFromDom("Backspace", "Backspace", true), Key::Backspace);
    EXPECT_EQ(VirtualKeyFromDom("Escape", "Escape", false), Key::Escape);
    EXPECT_EQ(VirtualKeyFromDom("ArrowLeft", "ArrowLeft", true), Key::Left);
    EXPECT_EQ(VirtualKeyFromDom("F1", "F1", true), Key::F1);
    EXPECT_EQ(VirtualKeyFromDom("F10", "F10", true), -1);
    EXPECT_EQ(VirtualKeyFromDom("Shift", "ShiftLeft", true), -1);
    EXPECT_EQ(VirtualKeyFromDom("", "", true), -1);
    EXPECT_EQ(VirtualKeyFromDom(nullptr, "KeyA", true), -1);
    // Where the layout types no Latin letter or digit, the key's place decides.
    EXPECT_EQ(VirtualKeyFromDom("ф", "KeyA", true), Key::A);
    EXPECT_EQ(VirtualKeyFromDom("Д", "KeyL", false), Key::L);
    EXPECT_EQ(VirtualKeyFromDom("é", "Digit2", true), Key::Digit0 + 2);
    EXPECT_EQ(VirtualKeyFromDom("ö", "Semicolon", true), -1);
    EXPECT_EQ(VirtualKeyFromDom("Dead", "KeyAB", true), -1);
}

TEST(KeyMapDom, KeypadIsCursorKeysOnlyWhileItTypesNoDigit) {
    // NumLock off: the browser reports what the key does.
    EXPECT_EQ(VirtualKeyFromDom("ArrowLeft", "Numpad4", true), Key::Left);
    EXPECT_EQ(VirtualKeyFromDom("Delete", "NumpadDecimal", true), Key::Delete);
    // NumLock on: a digit, which the game does not read; the release still lets go.
    EXPECT_EQ(VirtualKeyFromDom("4", "Numpad4", true), -1);
    EXPECT_EQ(VirtualKeyFromDom("4", "Numpad4", false), Key::Left);
    EXPECT_EQ(VirtualKeyFromDom(",", "NumpadDecimal", true), -1);
}

// Both shells find each named key through the one table: every row answers to SDL and to a
// browser alike, so a key added for one shell works in the other.
TEST_F(KeyTableTest, EveryNamedKeyIsTheSameKeyForSdlAndForABrowser) {
    int count = 0;
    const NamedKey* keys = NamedKeys(&count);
    ASSERT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        const NamedKey& named = keys[i];
        const SDL_Keycode sdlKey =
            named.typedCharacter != 0
                ? static_cast<SDL_Keycode>(named.typedCharacter)
                : static_cast<SDL_Keycode>(SDL_SCANCODE_TO_KEYCODE(named.hidUsage));
        ApplyKeyEvent(KeyEvent(SDL_KEYDOWN, sdlKey));
        EXPECT_TRUE(KeyTable[named.virtualKey]) << named.domCode;
        ApplyKeyEvent(KeyEvent(SDL_KEYUP, sdlKey));
        EXPECT_EQ(VirtualKeyFromDom(named.domCode, named.domCode, true), named.virtualKey)
            << named.domCode;
    }
}
