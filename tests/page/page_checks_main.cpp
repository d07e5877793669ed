// The test page's main: with ?shot=NAME it draws that screenshot's game state at the
// screenshots' fixed clock, as renderframe draws it on the desktop, for the comparison of the
// two pictures; with ?bench=LENGTH it measures the frame time (page_bench.cpp); without either
// it is the game, as the shipped page is.
#include "platform/game_window.h"
#include "platform/shell.h"
#include "platform/web/web_shell.h"
#include "render/render.h"
#include "tests/page/page_checks.h"
#include "tests/support/frame_shots.h"
#include "tests/support/scene_fixtures.h"

#include <cstdio>

namespace {

// Frames the frame-time measure times.
constexpr int BenchFrames = 120;

// The shot's game state drawn once into a canvas of the desktop reference's size.
void DrawShot(const FrameShot& shot) {
    UseFixedCanvasSize();
    FreezeClock(FrameShotClockMs);
    ResetToStartState();
    BuildSphereMesh(GameSphereLevels);
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
    RunPage();
    return 0;
}
