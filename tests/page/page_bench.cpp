// The test page's frame-time measure (?bench=LENGTH): a running game with a sausage of LENGTH cm
// and 75 live particles, as the desktop's render benchmark draws it, drawn every frame of the
// browser's frame callback. Each frame's drawing is timed to its finish on the GPU, and so is
// the time between frame callbacks; the medians go onto the page for bench/web to read.
#include "platform/game_window.h"
#include "platform/shell.h"
#include "platform/web/web_shell.h"
#include "render/render.h"
#include "tests/page/page_checks.h"
#include "tests/support/scene_fixtures.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <vector>

extern "C" void emscripten_glReadPixels(int x, int y, int width, int height, unsigned format,
                                        unsigned type, void* pixels);

namespace {

constexpr int BenchParticles = 75;
// The first frames compile shaders and warm caches; they are not counted.
constexpr int WarmUpFrames = 10;

struct BenchRun {
    int frames = 0;
    int drawn = 0;
    double lastCallbackMs = 0.0;
    std::vector<double> drawMs;
    std::vector<double> intervalMs;
};

BenchRun Run;

// A browser may take WebGL's finish for a mere flush; reading a pixel back has to wait until
// the frame is really drawn.
void WaitForTheGpu() {
    constexpr unsigned Rgba = 0x1908;
    constexpr unsigned UnsignedByte = 0x1401;
    unsigned char pixel[4];
    emscripten_glReadPixels(0, 0, 1, 1, Rgba, UnsignedByte, pixel);
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// clang-format off
EM_JS(void, JsPublishBench, (int frames, double drawMs, double intervalMs), {
    document.body.dataset.bench = JSON.stringify(
        {frames: frames, drawMedianMs: drawMs, frameIntervalMedianMs: intervalMs});
});
// clang-format on

// After the timed frames the game goes on being drawn, without the wait for the GPU, so that
// bench/web can take the main thread's script time per frame of a running game.
void BenchFrame() {
    if (Run.drawn >= Run.frames + WarmUpFrames) {
        DrawFrame();
        ShellSwapBuffers();
        return;
    }
    const double start = emscripten_get_now();
    DrawFrame();
    ShellSwapBuffers();
    WaitForTheGpu();
    const double end = emscripten_get_now();
    if (Run.drawn >= WarmUpFrames) {
        Run.drawMs.push_back(end - start);
        Run.intervalMs.push_back(start - Run.lastCallbackMs);
    }
    Run.lastCallbackMs = start;
    if (++Run.drawn == Run.frames + WarmUpFrames) {
        JsPublishBench(Run.frames, Median(Run.drawMs), Median(Run.intervalMs));
    }
}

} // namespace

bool StartBench(float length, int frames) {
    UseFixedCanvasSize();
    ResetToStartState();
    BuildSphereMesh(GameSphereLevels);
    if (!OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, false)) {
        return false;
    }
    SetUpRunningGame(length, BenchParticles);
    Run.frames = std::max(frames, 1);
    emscripten_set_main_loop(BenchFrame, 0, EM_FALSE);
    return true;
}
