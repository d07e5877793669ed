// renderframe: draws every menu screen and two game moments with the real renderer and saves
// them as PNG files (tests/support/frame_shots.cpp), for looking at the picture, for the README
// and as the reference of the web page's picture.
//   renderframe OUTDIR [--shown]
#include "game/game_state.h"
#include "render/render.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/frame_shots.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/scene_fixtures.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: renderframe OUTDIR [--shown]\n");
        return 2;
    }
    std::string outDir = argv[1];
    bool shown = argc > 2 && std::strcmp(argv[2], "--shown") == 0;
    ResetToStartState();
    BuildSphereMesh(GameSphereLevels);
    if (!OpenHarnessWindow(shown) || !InitRenderState()) {
        return 1;
    }
    FakeClockMs = FrameShotClockMs;
    int failures = 0;
    size_t shotCount = 0;
    const FrameShot* shots = FrameShots(&shotCount);
    for (size_t i = 0; i < shotCount; ++i) {
        shots[i].setUp();
        DrawFrame();
        std::string path = outDir + "/" + shots[i].name + ".png";
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
