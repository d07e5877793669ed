// The screenshots' game states: every menu screen and four moments of a running game.
#include "tests/support/frame_shots.h"

#include "game/game_state.h"
#include "tests/support/scene_fixtures.h"

#include <cstring>
#include <iterator>

namespace {

void SetUpMenu() {
    ShowMenuScreen(Screen::MainMenu, 0);
}

void SetUpNameEntry() {
    ShowMenuScreen(Screen::NameEntry, 0);
    std::strcpy(Players[0].name, "QUARZ42");
}

void SetUpHighscores() {
    ShowMenuScreen(Screen::Highscores, 0);
}

void SetUpControls() {
    ShowMenuScreen(Screen::Controls, 0);
}

void SetUpCongratulations() {
    ShowMenuScreen(Screen::Congratulations, 0);
    InsertHighscore(23.45f, Players[0].name);
}

void SetUpGame() {
    SetUpRunningGame(42.0f, 75);
}

void SetUpGameStart() {
    SetUpRunningGame(3.0f, 12, 0.05f);
}

// The camera tilted down (the Up key) onto the wave surface below the press.
void SetUpGameFromAbove(float length, float leak) {
    SetUpRunningGame(length, 75, leak);
    Players[0].pitch = -35.0f;
    Players[0].yaw = 25.0f;
}

void SetUpWaveBlue() {
    SetUpGameFromAbove(8.0f, 0.2f);
}

void SetUpWaveGrey() {
    SetUpGameFromAbove(90.0f, 0.6f);
}

constexpr FrameShot Shots[] = {
    {"menu", SetUpMenu},
    {"name_entry", SetUpNameEntry},
    {"highscores", SetUpHighscores},
    {"controls", SetUpControls},
    {"congratulations", SetUpCongratulations},
    {"game", SetUpGame},
    {"game_start", SetUpGameStart},
    {"wave_blue", SetUpWaveBlue},
    {"wave_grey", SetUpWaveGrey},
};

} // namespace

const FrameShot* FrameShots(size_t* count) {
    *count = std::size(Shots);
    return Shots;
}

const FrameShot* FindFrameShot(const char* name) {
    for (const FrameShot& shot : Shots) {
        if (name != nullptr && std::strcmp(shot.name, name) == 0) {
            return &shot;
        }
    }
    return nullptr;
}
