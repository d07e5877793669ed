// The screens' state machine: cursor movement, name entry and activation of the
// highlighted line, run by the menu step of each tick while no game is running.
#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/platform_calls.h"

#include <cstring>

namespace {

void MoveCursor() {
    if (KeyTable[Key::Up]) {
        if (MenuCursor > 0) {
            MenuCursor -= 1;
        }
        KeyTable[Key::Up] = false;
    }
    if (KeyTable[Key::Down]) {
        uint32_t lastLine = static_cast<uint32_t>(ScreenLineCount[ScreenState] - 1);
        if (MenuCursor < lastLine) {
            MenuCursor += 1;
        }
        KeyTable[Key::Down] = false;
    }
}

void TypeCharacter(char* name, int code) {
    if (!KeyTable[code]) {
        return;
    }
    KeyTable[code] = false;
    size_t length = strnlen(name, MaxNameLength);
    if (length < static_cast<size_t>(MaxNameLength)) {
        name[length] = static_cast<char>(code);
        name[length + 1] = '\0';
    }
}

// Digits, then letters, in ascending code order; deleting comes after appending, so a
// character and a delete in the same tick cancel out.
void EditName(char* name) {
    for (int code = Key::Digit0; code <= Key::Digit9; ++code) {
        TypeCharacter(name, code);
    }
    for (int code = Key::A; code <= Key::Z; ++code) {
        TypeCharacter(name, code);
    }
    if (KeyTable[Key::Delete] || KeyTable[Key::Backspace]) {
        KeyTable[Key::Delete] = false;
        KeyTable[Key::Backspace] = false;
        size_t length = strnlen(name, MaxNameLength);
        if (length > 0) {
            name[length - 1] = '\0';
        }
    }
}

void StartGame(PlayerState& player) {
    player.inGame = true;
    player.length = 0.0f;
    player.pistonHeight = 5.0f;
    player.pistonSpeed = 0.0f;
    player.pressure = 10.0f;
    player.leak = 0.0f;
}

void ShowScreen(int32_t screen) {
    ScreenState = screen;
    MenuCursor = 0;
}

void ActivateMainMenuLine(PlayerState& player) {
    switch (MenuCursor) {
    case 0:
        StartGame(player);
        break;
    case 1:
        ShowScreen(Screen::NameEntry);
        break;
    case 2:
        ShowScreen(Screen::Highscores);
        break;
    case 3:
        ShowScreen(Screen::Controls);
        break;
    case 4:
        QuitRequested = true;
        break;
    default:
        break;
    }
}

void Activate(PlayerState& player) {
    PlaySoundEffect("flush");
    KeyTable[Key::Space] = false;
    KeyTable[Key::Return] = false;
    switch (ScreenState) {
    case Screen::MainMenu:
        ActivateMainMenuLine(player);
        break;
    case Screen::NameEntry:
        if (MenuCursor == 1) {
            ShowScreen(Screen::MainMenu);
        }
        break;
    case Screen::Highscores:
    case Screen::Controls:
        ShowScreen(Screen::MainMenu);
        break;
    case Screen::Congratulations:
        ShowScreen(Screen::Highscores);
        break;
    default:
        break;
    }
}

} // namespace

void HandleMenu() {
    if (PlayerCount <= 0 || Players.empty() || ScreenState < Screen::MainMenu ||
        ScreenState >= Screen::Count) {
        return;
    }
    PlayerState& player = Players[0];
    MoveCursor();
    if (ScreenState == Screen::NameEntry && MenuCursor == 0) {
        EditName(player.name);
    }
    if (KeyTable[Key::Space] || KeyTable[Key::Return]) {
        Activate(player);
    }
}
