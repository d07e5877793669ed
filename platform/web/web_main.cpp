// Kesselfass 3D's entry in a page: the storage loaded first, then the shared program run one
// pass after another from the browser's frame callback; "Quit game" saves and leaves a page
// that offers to play again. With ?shot=NAME the page draws that screenshot's game state at
// the screenshots' fixed clock instead, for the comparison with the desktop's picture, and with
// ?bench=LENGTH it measures the frame time (web_bench.cpp).
#include "game/game_state.h"
#include "game/score_file.h"
#include "platform/game_program.h"
#include "platform/game_window.h"
#include "platform/shell.h"
#include "platform/web/web_shell.h"
#include "render/render.h"
#include "tests/support/frame_shots.h"
#include "tests/support/scene_fixtures.h"

#include <emscripten/emscripten.h>

#include <cstdio>

namespace {

// Frames the frame-time measure times.
constexpr int BenchFrames = 120;

enum class PageState { WaitingForStorage, Running, Ended };

PageState State = PageState::WaitingForStorage;
bool FirstFrameMarked = false;

void EndPage(bool save) {
    EndGame(save);
    if (save) {
        PersistStorage();
    }
    State = PageState::Ended;
    emscripten_cancel_main_loop();
    PageShowPlayAgain();
}

// Passes run until one draws, as the desktop's loop runs them until its pacing sleeps.
void RunPasses() {
    for (;;) {
        switch (RunPass()) {
        case PassResult::EventHandled:
            continue;
        case PassResult::Drawn:
            SaveTableIfChanged();
            if (!FirstFrameMarked) {
                FirstFrameMarked = true;
                PageMarkFirstFrame();
            }
            return;
        case PassResult::Quit:
            EndPage(true);
            return;
        case PassResult::WindowLost:
            EndPage(false);
            return;
        }
    }
}

void Frame() {
    switch (State) {
    case PageState::WaitingForStorage:
        if (!StorageSettled()) {
            return;
        }
        if (!StartGame()) {
            // The box that says why is in the page.
            State = PageState::Ended;
            emscripten_cancel_main_loop();
            return;
        }
        NoteTableSaved();
        State = PageState::Running;
        return;
    case PageState::Running:
        PumpMusic();
        RunPasses();
        return;
    case PageState::Ended:
        return;
    }
}

// The shot's game state drawn once into a canvas of the desktop reference's size, as
// renderframe draws it.
void DrawShot(const FrameShot& shot) {
    UseFixedCanvasSize();
    FreezeClock(FrameShotClockMs);
    ResetToStartState();
    BuildSphereMesh(3);
    if (!OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, false)) {
        return;
    }
    shot.setUp();
    DrawFrame();
    ShellSwapBuffers();
    PageMarkShotDrawn();
}

} // namespace

int main() {
    char shotName[64] = {};
    PageShotName(shotName, sizeof shotName);
    if (shotName[0] != '\0') {
        const FrameShot* shot = FindFrameShot(shotName);
        if (shot == nullptr) {
            std::fprintf(stderr, "no shot named %s\n", shotName);
            return 1;
        }
        DrawShot(*shot);
        return 0;
    }
    const float benchLength = PageBenchLength();
    if (benchLength >= 0.0f) {
        return StartBench(benchLength, BenchFrames) ? 0 : 1;
    }
    InstallPageCallbacks();
    StartStorage();
    emscripten_set_main_loop(Frame, 0, EM_FALSE);
    return 0;
}
