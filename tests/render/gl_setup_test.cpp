// Projection and the fixed GL state, and the rebuild of every GL object in a new context.
#include "game/game_state.h"
#include "gl_test_env.h"
#include "render/body_list.h"
#include "render/outline_font.h"
#include "render/render.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/scene_fixtures.h"
#include "texgen/texture_upload.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

const float FocalLength = static_cast<float>(1.0 / std::tan(37.5 * std::numbers::pi / 180.0));

TEST(ResizeView, ZeroHeightCountsAsOneAndTheAspectIsAFloatQuotient) {
    REQUIRE_GL();
    ResizeView(1000, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1000);
    EXPECT_EQ(viewport[3], 1);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], FocalLength / 1000.0f, 1e-6f);
    EXPECT_NEAR(projection[5], FocalLength, 1e-5f);
    EXPECT_NEAR(projection[10], -(100.0f + 0.1f) / (100.0f - 0.1f), 1e-5f);
    EXPECT_NEAR(projection[14], -2.0f * 100.0f * 0.1f / (100.0f - 0.1f), 1e-5f);

    // 2048 / 768 is 2.67, not the integer 2: wide windows see more of the text plane sideways.
    ResizeView(2048, 768);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], FocalLength * 768.0f / 2048.0f, 1e-5f);
    EXPECT_NEAR(projection[5], FocalLength, 1e-5f);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f);
    }
    ResizeView(HarnessWidth, HarnessHeight);
}

TEST(InitRenderState, LeavesLightingDepthAndTheObjectsOfTheContextReady) {
    REQUIRE_GL();
    ShowMenuScreen(Screen::MainMenu, 0);
    DrawFrame();
    SwapHarnessWindow();
    // What a frame must not undo.
    for (GLenum capability :
         {GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_NORMALIZE}) {
        EXPECT_TRUE(glIsEnabled(capability)) << "capability 0x" << std::hex << capability;
    }
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    for (uint32_t texture :
         {CylinderTexture, SphereTexture, WaveTexture, SausageTexture, SurfaceTexture}) {
        EXPECT_TRUE(glIsTexture(texture));
    }
    EXPECT_TRUE(glIsList(BodyList));
    EXPECT_TRUE(glIsList(FontListBase + 'A'));
    EXPECT_TRUE(glIsList(FontListBase + 255));
}

// F1 closes the window and opens a new one: everything GL is made again and must look the same.
TEST(InitRenderState, ANewContextDrawsTheSameFrames) {
    REQUIRE_GL();
    FakeClockMs = 5000;
    ShowMenuScreen(Screen::Highscores, 0);
    FrameImage menuBefore = Capture([] { DrawFrame(); });
    SetUpRunningGame(25.0f, 40);
    FrameImage gameBefore = Capture([] { DrawFrame(); });

    FreeOutlineFont();
    CloseHarnessWindow();
    ASSERT_TRUE(OpenHarnessWindow(false));
    ASSERT_TRUE(InitRenderState());
    DrawWarmUpFrame();

    ShowMenuScreen(Screen::Highscores, 0);
    FrameImage menuAfter = Capture([] { DrawFrame(); });
    SetUpRunningGame(25.0f, 40);
    FrameImage gameAfter = Capture([] { DrawFrame(); });
    EXPECT_EQ(CountDifferences(menuBefore, menuAfter), 0);
    EXPECT_EQ(CountDifferences(gameBefore, gameAfter), 0);
}

} // namespace
