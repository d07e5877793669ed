// renderframe: draws every menu screen and two game moments with the real renderer and saves
// them as PNG files, for looking at the picture and for the README.
//   renderframe OUTDIR [--shown]
#include "game/game_state.h"
#include "render/render.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/scene_fixtures.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

struct Shot {
    const char* file;
    std::function<void()> setUp;
};

void SetUpCongratulations() {
    ShowMenuScreen(Screen::Congratulations, 0);
    InsertHighscore(23.45f, Players[0].name);
}

void SetUpNameEntry() {
    ShowMenuScreen(Screen::NameEntry, 0);
    std::strcpy(Players[0].name, "QUARZ42");
}

// The camera tilted down (the Up key) onto the wave surface below the press.
void SetUpGameFromAbove(float length, float leak) {
    SetUpRunningGame(length, 75, leak);
    Players[0].pitch = -35.0f;
    Players[0].yaw = 25.0f;
}

const Shot Shots[] = {
    {"menu.png", [] { ShowMenuScreen(Screen::MainMenu, 0); }},
    {"name_entry.png", SetUpNameEntry},
    {"highscores.png", [] { ShowMenuScreen(Screen::Highscores, 0); }},
    {"controls.png", [] { ShowMenuScreen(Screen::Controls, 0); }},
    {"congratulations.png", SetUpCongratulations},
    {"game.png", [] { SetUpRunningGame(42.0f, 75); }},
    {"game_start.png", [] { SetUpRunningGame(3.0f, 12, 0.05f); }},
    {"wave_blue.png", [] { SetUpGameFromAbove(8.0f, 0.2f); }},
    {"wave_grey.png", [] { SetUpGameFromAbove(90.0f, 0.6f); }},
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: renderframe OUTDIR [--shown]\n");
        return 2;
    }
    std::string outDir = argv[1];
    bool shown = argc > 2 && std::strcmp(argv[2], "--shown") == 0;
    ResetToStartState();
    BuildSphereMesh(3);
    if (!OpenHarnessWindow(shown) || !InitRenderState()) {
        return 1;
    }
    FakeClockMs = 123456;
    int failures = 0;
    for (const Shot& shot : Shots) {
        shot.setUp();
        DrawFrame();
        std::string path = outDir + "/" + shot.file;
        if (!WritePng(ReadBackBuffer(), path.c_str())) {
            std::fprintf(stderr, "renderframe: cannot write %s\n", path.c_str());
            ++failures;
        }
        SwapHarnessWindow();
    }
    FreeOutlineFont();
    CloseHarnessWindow();
    return failures == 0 ? 0 : 1;
}
