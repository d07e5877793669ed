// Without any font the game runs on without text. Runs only in the CTest entry that hides
// every font from fontconfig (KF_EXPECT_NO_FONT set).
#include "game/game_state.h"
#include "gl_test_env.h"
#include "render/outline_font.h"
#include "render/render.h"
#include "render/scene.h"
#include "tests/support/scene_fixtures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(NoFont, FramesDrawWithoutAnyText) {
    if (std::getenv("KF_EXPECT_NO_FONT") == nullptr) {
        GTEST_SKIP() << "only with fontconfig showing no fonts";
    }
    REQUIRE_GL();
    EXPECT_NE(FontListBase, 0u);
    EXPECT_TRUE(glIsList(FontListBase + 'A'));
    ShowMenuScreen(Screen::MainMenu, 0);
    FrameImage frame = Capture([] { DrawFrame(); });
    FrameImage scene = Capture([] { DrawScene(0); });
    EXPECT_EQ(CountDifferences(frame, scene), 0);
    SetUpRunningGame(30.0f, 20);
    frame = Capture([] { DrawFrame(); });
    Players[0].inGame = false;
    scene = Capture([] { DrawScene(0); });
    EXPECT_EQ(CountDifferences(frame, scene), 0);
}

} // namespace
