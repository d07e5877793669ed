// Soak run: many ticks of random input through GameTick, with a frame drawn every few ticks
// in a real GL context, watching resident memory after warm-up. Exits non-zero when memory
// keeps growing or the game state leaves its bounds.
//   soak [--ticks N] [--frame-every K] [--warmup W] [--max-growth-kb KB]
#include "game/game_state.h"
#include "game/game_tick.h"
#include "render/render.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/gl_test_window.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

struct SoakOptions {
    long ticks = 45000;
    long frameEvery = 4;
    long warmup = 5000;
    long maxGrowthKb = 4096;
};

SoakOptions ParseOptions(int argc, char** argv) {
    SoakOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        long value = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--ticks") == 0) {
            options.ticks = value;
        } else if (std::strcmp(argv[i], "--frame-every") == 0) {
            options.frameEvery = value;
        } else if (std::strcmp(argv[i], "--warmup") == 0) {
            options.warmup = value;
        } else if (std::strcmp(argv[i], "--max-growth-kb") == 0) {
            options.maxGrowthKb = value;
        }
    }
    return options;
}

long ResidentKb() {
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (file == nullptr) {
        return 0;
    }
    long pages = 0;
    long resident = 0;
    if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2) {
        resident = 0;
    }
    std::fclose(file);
    return resident * 4;
}

// A player who mostly presses A and L at a human rhythm, and now and then does anything else
// the game reads: camera keys, menu keys, typing, Escape, the joystick.
void RandomInput(std::mt19937& random) {
    static const int OtherKeys[] = {Key::Left,   Key::Right,      Key::Up,     Key::Down,
                                    Key::Space,  Key::Return,     Key::Escape, Key::Backspace,
                                    Key::Delete, Key::Digit0 + 7, 'Q',         'Z'};
    std::uniform_int_distribution<int> percent(0, 99);
    if (percent(random) < 30) {
        bool a = percent(random) < 50;
        KeyTable[Key::A] = a;
        KeyTable[Key::L] = !a;
    }
    // Other keys are short taps; Escape is rare, so that games run long enough to grow.
    for (int key : OtherKeys) {
        if (KeyTable[key]) {
            KeyTable[key] = percent(random) < 50;
            continue;
        }
        int perMille = key == Key::Escape ? 1 : 8;
        KeyTable[key] = std::uniform_int_distribution<int>(0, 999)(random) < perMille;
    }
    if (percent(random) < 5) {
        JoystickButtons[percent(random) % 2] ^= true;
    }
}

bool StateInBounds() {
    const PlayerState& player = Players[0];
    bool finite = std::isfinite(player.pressure) && std::isfinite(player.length) &&
                  std::isfinite(player.pitch) && std::isfinite(player.yaw);
    return finite && player.pitch >= -45.0f && player.pitch <= 90.0f &&
           ScreenState >= Screen::MainMenu && ScreenState < Screen::Count &&
           MenuCursor < static_cast<uint32_t>(ScreenLineCount[ScreenState]);
}

// One tick of random input at the next timestamp, which is also the game's clock. True when
// a game started in it. The sounds are not this run's subject, and keeping them would look
// like growth.
bool PlayTick(std::mt19937& random) {
    bool wasInGame = Players[0].inGame;
    RandomInput(random);
    FakeClockMs += TickMs;
    GameTick(FakeClockMs);
    SoundRequests.clear();
    QuitRequested = false;
    return !wasInGame && Players[0].inGame;
}

} // namespace

int main(int argc, char** argv) {
    SoakOptions options = ParseOptions(argc, argv);
    AddPlayer("SOAK");
    // The window, with the game's projection, stays until exit (see CloseHarnessWindow).
    if (!OpenHarnessWindow(false)) {
        return 1;
    }
    if (!InitRenderState()) {
        std::fprintf(stderr, "soak: InitRenderState failed\n");
        return 1;
    }
    BuildSphereMesh(GameSphereLevels);

    std::mt19937 random(20261207);
    long warmKb = 0;
    long peakKb = 0;
    long games = 0;
    for (long tick = 0; tick < options.ticks; ++tick) {
        games += PlayTick(random) ? 1 : 0;
        if (!StateInBounds()) {
            std::fprintf(stderr, "soak: state out of bounds at tick %ld\n", tick);
            return 1;
        }
        if (options.frameEvery > 0 && tick % options.frameEvery == 0) {
            DrawFrame();
            glFinish();
        }
        if (tick == options.warmup) {
            warmKb = ResidentKb();
        }
        if (tick > options.warmup && ResidentKb() > peakKb) {
            peakKb = ResidentKb();
        }
    }
    long endKb = ResidentKb();
    long growthKb = endKb - warmKb;
    std::printf("soak: %ld ticks, %ld games, frame every %ld ticks\n", options.ticks, games,
                options.frameEvery);
    std::printf("soak: resident after warm-up %ld kB, peak %ld kB, end %ld kB, growth %ld kB\n",
                warmKb, peakKb, endKb, growthKb);
    if (growthKb > options.maxGrowthKb) {
        std::fprintf(stderr, "soak: resident memory grew by %ld kB\n", growthKb);
        return 1;
    }
    return 0;
}
