// The menu in views of other shapes than the desktop's 4:3: a phone held upright keeps the
// picture's whole width, and a tap finds the line that is drawn under it, through the
// projection of the moment.
#include "game/game_state.h"
#include "gl_test_env.h"
#include "render/render.h"
#include "render/screen_lines.h"
#include "tests/support/scene_fixtures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

namespace {

struct ViewSize {
    int width;
    int height;
};

// Upright phones (9:19.5, 9:16), the desktop's 4:3 and a wide 21:9, each fitting the harness
// window; the view takes its bottom-left corner.
constexpr ViewSize Views[] = {{300, 650}, {432, 768}, {1024, 768}, {1024, 439}};

class ScreenLinesTest : public ::testing::Test {
  protected:
    void TearDown() override {
        KeepFourByThreeWidth(false);
        ResizeView(HarnessWidth, HarnessHeight);
    }
};

// The view's pixel (x, y), counted from its own top-left corner, in the harness window's image.
const uint8_t* ViewPixel(const FrameImage& image, const ViewSize& view, int x, int y) {
    return image.Pixel(x, HarnessHeight - view.height + y);
}

// White text pixels in the view's outermost columns: text that the view cuts off.
int WhiteAtTheSides(const FrameImage& image, const ViewSize& view) {
    int count = 0;
    for (int y = 0; y < view.height; ++y) {
        for (int x : {0, 1, view.width - 2, view.width - 1}) {
            count += IsWhite(ViewPixel(image, view, x, y)) ? 1 : 0;
        }
    }
    return count;
}

// Where GL puts a point of the text plane, in pixels from the view's top-left corner.
void ProjectToView(float planeX, float planeY, const ViewSize& view, double& x, double& y) {
    GLdouble modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble z = 0.0;
    gluProject(planeX, planeY, -1.0, modelview, projection, viewport, &x, &y, &z);
    y = view.height - y;
}

TEST_F(ScreenLinesTest, AnUprightViewKeepsEveryLineOfTheMenuAndTheHighscores) {
    REQUIRE_GL();
    DrawWarmUpFrame();
    for (int32_t screen : {Screen::MainMenu, Screen::Highscores, Screen::Controls}) {
        ShowMenuScreen(screen, 0);
        for (const ViewSize& view : Views) {
            KeepFourByThreeWidth(true);
            ResizeView(view.width, view.height);
            const FrameImage kept = Capture([] { DrawFrame(); });
            EXPECT_EQ(WhiteAtTheSides(kept, view), 0)
                << "screen " << screen << " cut in " << view.width << " x " << view.height;
        }
        // The desktop's view of an upright window cuts the lines: the test sees a cut.
        KeepFourByThreeWidth(false);
        ResizeView(Views[0].width, Views[0].height);
        const FrameImage cut = Capture([] { DrawFrame(); });
        EXPECT_GT(WhiteAtTheSides(cut, Views[0]), 0) << "screen " << screen;
    }
}

TEST_F(ScreenLinesTest, ATapFindsTheLineDrawnUnderIt) {
    REQUIRE_GL();
    DrawWarmUpFrame();
    KeepFourByThreeWidth(true);
    for (int32_t screen : {Screen::MainMenu, Screen::NameEntry, Screen::Congratulations}) {
        ShowMenuScreen(screen, 0);
        for (const ViewSize& view : Views) {
            ResizeView(view.width, view.height);
            const FrameImage frame = Capture([] { DrawFrame(); });
            for (int32_t line = 0; line < ScreenLineCount[screen]; ++line) {
                // The middle of the line's first letters, where GL drew them.
                double x = 0.0;
                double y = 0.0;
                ProjectToView(-0.68f, MenuLineY(static_cast<uint32_t>(line)) + 0.018f, view, x, y);
                EXPECT_EQ(MenuLineAt(static_cast<float>(x), static_cast<float>(y)), line)
                    << "screen " << screen << " in " << view.width << " x " << view.height;
                int white = 0;
                for (int dy = -4; dy <= 4; ++dy) {
                    for (int dx = -4; dx <= 40; ++dx) {
                        const int px = static_cast<int>(x) + dx;
                        const int py = static_cast<int>(y) + dy;
                        if (px >= 0 && px < view.width && py >= 0 && py < view.height) {
                            white += IsWhite(ViewPixel(frame, view, px, py)) ? 1 : 0;
                        }
                    }
                }
                EXPECT_GT(white, 0) << "no letters at the tap on line " << line << " of screen "
                                    << screen << " in " << view.width << " x " << view.height;
            }
            // The title and the credits are no line.
            double x = 0.0;
            double y = 0.0;
            ProjectToView(-0.5f, 0.55f, view, x, y);
            EXPECT_EQ(MenuLineAt(static_cast<float>(x), static_cast<float>(y)), -1);
            ProjectToView(-0.5f, -0.69f, view, x, y);
            EXPECT_EQ(MenuLineAt(static_cast<float>(x), static_cast<float>(y)), -1);
        }
    }
}

} // namespace
