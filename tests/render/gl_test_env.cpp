// The render tests' GL window and pixel helpers.
#include "gl_test_env.h"

#include "render/render.h"
#include "render/sphere_mesh.h"
#include "tests/support/scene_fixtures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool WindowOpen = false;

// Opens the window once for the whole run, as the game does at start-up.
class GlWindowEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        ResetToStartState();
        BuildSphereMesh(GameSphereLevels);
        WindowOpen = OpenHarnessWindow(false) && InitRenderState();
        if (WindowOpen) {
            DrawWarmUpFrame();
        }
    }
    void TearDown() override {
        if (WindowOpen) {
            FreeOutlineFont();
            CloseHarnessWindow();
        }
    }
};

[[maybe_unused]] const testing::Environment* const Environment =
    testing::AddGlobalTestEnvironment(new GlWindowEnvironment);

// Half the visible height of the plane z = -1 under the 75-degree projection.
const float HalfHeight = static_cast<float>(std::tan(37.5 * std::numbers::pi / 180.0));

int PixelX(float x) {
    float halfWidth = HalfHeight * HarnessWidth / HarnessHeight;
    return static_cast<int>(std::lround((x / halfWidth + 1.0f) * 0.5f * HarnessWidth));
}

int PixelY(float y) {
    return static_cast<int>(std::lround((1.0f - y / HalfHeight) * 0.5f * HarnessHeight));
}

template <typename Visit> void ForEachPixel(const PlaneBox& box, Visit visit) {
    int x0 = std::clamp(PixelX(box.left), 0, HarnessWidth);
    int x1 = std::clamp(PixelX(box.right), 0, HarnessWidth);
    int y0 = std::clamp(PixelY(box.top), 0, HarnessHeight);
    int y1 = std::clamp(PixelY(box.bottom), 0, HarnessHeight);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            visit(x, y);
        }
    }
}

} // namespace

bool HaveGlWindow() {
    return WindowOpen;
}

void DrawWarmUpFrame() {
    SetUpRunningGame(25.0f, 40);
    Capture([] { DrawFrame(); });
    ResetToStartState();
}

FrameImage Capture(const std::function<void()>& draw) {
    draw();
    FrameImage image = ReadBackBuffer();
    SwapHarnessWindow();
    return image;
}

PlaneBox TextBox(float x, float y, float size, float widthEm) {
    return {x - 0.012f, y - 0.25f * size - 0.012f, x + widthEm * size, y + 0.75f * size};
}

int CountPixels(const FrameImage& image, const PlaneBox& box,
                const std::function<bool(const uint8_t*)>& test) {
    int count = 0;
    ForEachPixel(box, [&](int x, int y) { count += test(image.Pixel(x, y)) ? 1 : 0; });
    return count;
}

int CountDifferences(const FrameImage& a, const FrameImage& b, const PlaneBox& box) {
    int count = 0;
    ForEachPixel(box, [&](int x, int y) {
        const uint8_t* p = a.Pixel(x, y);
        const uint8_t* q = b.Pixel(x, y);
        count += (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) ? 1 : 0;
    });
    return count;
}

int CountDifferencesOutside(const FrameImage& a, const FrameImage& b,
                            const std::vector<PlaneBox>& boxes) {
    std::vector<bool> covered(static_cast<size_t>(HarnessWidth) * HarnessHeight, false);
    for (const PlaneBox& box : boxes) {
        ForEachPixel(
            box, [&](int x, int y) { covered[static_cast<size_t>(y) * HarnessWidth + x] = true; });
    }
    int count = 0;
    ForEachPixel(WholeScreen(), [&](int x, int y) {
        const uint8_t* p = a.Pixel(x, y);
        const uint8_t* q = b.Pixel(x, y);
        bool differs = p[0] != q[0] || p[1] != q[1] || p[2] != q[2];
        count += (differs && !covered[static_cast<size_t>(y) * HarnessWidth + x]) ? 1 : 0;
    });
    return count;
}

int CountDifferences(const FrameImage& a, const FrameImage& b) {
    return CountDifferences(a, b, WholeScreen());
}

bool IsWhite(const uint8_t* rgb) {
    return rgb[0] == 255 && rgb[1] == 255 && rgb[2] == 255;
}

bool IsBlack(const uint8_t* rgb) {
    return rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0;
}

PlaneBox WholeScreen() {
    float halfWidth = HalfHeight * HarnessWidth / HarnessHeight;
    return {-halfWidth, -HalfHeight, halfWidth, HalfHeight};
}
