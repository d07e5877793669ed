// Fingers on the page, turned into the keys a player would press, so that the game never
// knows a finger from a key: in a game a finger on the left half holds A and one on the right
// half holds L, for as long as it stays down (every finger by its own id, so that two thumbs
// may overlap); between games a tap on a line of the screen moves the cursor there and
// activates it, with the presses of Down, Up and Return the keyboard would make. page_input.js
// calls the exported functions from its listeners, in the browser's coordinates times the
// canvas's pixels per CSS pixel.
#include "game/game_state.h"
#include "platform/key_table.h"
#include "platform/web/web_shell.h"
#include "render/screen_lines.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <vector>

namespace {

struct Finger {
    int id;
    int key; // Key::A or Key::L in a game; -1 for a tap between games
};

std::vector<Finger> Fingers;
bool ShownInGame = false;
int32_t ShownScreen = -1;

bool InGame() {
    return !Players.empty() && Players[0].inGame;
}

bool AnotherFingerHolds(int key, int id) {
    return std::any_of(Fingers.begin(), Fingers.end(),
                       [&](const Finger& finger) { return finger.key == key && finger.id != id; });
}

void LetGo(const Finger& finger) {
    if (finger.key >= 0 && !AnotherFingerHolds(finger.key, finger.id)) {
        QueueKey(finger.key, false);
    }
}

// The presses that take the cursor from where it is (or will be, after the presses already
// queued) to `line` and activate it.
void PressTowards(int32_t line) {
    const int32_t steps = line - static_cast<int32_t>(MenuCursor);
    for (int32_t step = 0; step < steps; ++step) {
        QueueKeyPress(Key::Down);
    }
    for (int32_t step = 0; step > steps; --step) {
        QueueKeyPress(Key::Up);
    }
    QueueKeyPress(Key::Return);
}

// clang-format off
EM_JS(void, JsInstallTouch, (), { KesselfassInput.install(); });
EM_JS(void, JsShowControls, (int inGame, int nameScreen), {
    KesselfassInput.show(inGame !== 0, nameScreen !== 0);
});
// clang-format on

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void KesselfassFingerDown(int id, float x, float canvasWidth) {
    Fingers.erase(std::remove_if(Fingers.begin(), Fingers.end(),
                                 [&](const Finger& finger) { return finger.id == id; }),
                  Fingers.end());
    Finger finger{id, -1};
    if (InGame()) {
        finger.key = x < canvasWidth / 2 ? Key::A : Key::L;
        if (!AnotherFingerHolds(finger.key, id)) {
            QueueKey(finger.key, true);
        }
    }
    Fingers.push_back(finger);
}

// The release of a finger; for a tap between games, the line under it is chosen. True when
// that line is the name on the name screen, where the page then brings up the keyboard (it
// may only do so from the listener of the tap itself).
EMSCRIPTEN_KEEPALIVE int KesselfassFingerUp(int id, float x, float y) {
    const auto found = std::find_if(Fingers.begin(), Fingers.end(),
                                    [&](const Finger& finger) { return finger.id == id; });
    if (found == Fingers.end()) {
        return 0;
    }
    const Finger finger = *found;
    Fingers.erase(found);
    if (finger.key >= 0) {
        LetGo(finger);
        return 0;
    }
    if (InGame()) {
        return 0;
    }
    const int32_t line = MenuLineAt(x, y);
    if (line < 0) {
        return 0;
    }
    PressTowards(line);
    return ScreenState == Screen::NameEntry && line == 0 ? 1 : 0;
}

// A finger the browser took over (a scroll, a system gesture) is let go without a tap.
EMSCRIPTEN_KEEPALIVE void KesselfassFingerCancel(int id) {
    const auto found = std::find_if(Fingers.begin(), Fingers.end(),
                                    [&](const Finger& finger) { return finger.id == id; });
    if (found != Fingers.end()) {
        const Finger finger = *found;
        Fingers.erase(found);
        LetGo(finger);
    }
}

// One character typed into the page's text input (the device's keyboard on the name screen):
// a letter or digit, '\b' for a deletion, '\r' for its Enter.
EMSCRIPTEN_KEEPALIVE void KesselfassTyped(int character) {
    if (character == '\b') {
        QueueKeyPress(Key::Backspace);
    } else if (character == '\r') {
        QueueKeyPress(Key::Return);
    } else if (VirtualKeyFromCharacter(static_cast<uint32_t>(character)) >= 0) {
        QueueKeyPress(VirtualKeyFromCharacter(static_cast<uint32_t>(character)));
    }
}

// The page's own controls: leaving the game (Escape) and fullscreen (F1).
EMSCRIPTEN_KEEPALIVE void KesselfassLeaveGame() {
    QueueKeyPress(Key::Escape);
}

EMSCRIPTEN_KEEPALIVE void KesselfassSwitchFullscreen() {
    if (PageCanGoFullscreen()) {
        QueueKeyPress(Key::F1);
    }
}

EMSCRIPTEN_KEEPALIVE void KesselfassContextRestored() {
    QueueContextLost();
}

} // extern "C"

void InstallTouchCallbacks() {
    JsInstallTouch();
}

void ReleaseFingers() {
    for (const Finger& finger : Fingers) {
        if (finger.key >= 0) {
            QueueKey(finger.key, false);
        }
    }
    Fingers.clear();
}

void UpdatePageControls() {
    const bool inGame = InGame();
    if (inGame == ShownInGame && ScreenState == ShownScreen) {
        return;
    }
    ShownInGame = inGame;
    ShownScreen = ScreenState;
    JsShowControls(inGame ? 1 : 0, !inGame && ScreenState == Screen::NameEntry ? 1 : 0);
}
