// Whole frames: the menu overlay of every screen over the scene, the in-game frame, the
// background, and frames that must repeat exactly.
#include "game/game_state.h"
#include "gl_test_env.h"
#include "render/render.h"
#include "render/scene.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/scene_fixtures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

FrameImage FrameOf() {
    return Capture([] { DrawFrame(); });
}

FrameImage SceneOf() {
    return Capture([] { DrawScene(0); });
}

// Text every screen shows, as (x, y, size, width in em) boxes.
const PlaneBox TitleBox = TextBox(-0.6f, 0.5f, 0.2f, 7.5f);
const PlaneBox CreditsBox = TextBox(-0.6f, -0.7f, 0.03f, 50.0f);

PlaneBox CursorBox(uint32_t row) {
    float y = 0.3f - 0.1f * static_cast<float>(row);
    return {-0.762f, y - 0.012f, -0.715f, y + 0.04f};
}

struct ExpectedLine {
    float x;
    float y;
    float size;
    float widthEm;
};

// Checks that the overlay (frame minus scene) draws in each box, the cursor only on its row,
// and nothing anywhere else.
void ExpectOverlay(const std::vector<ExpectedLine>& lines, uint32_t cursor, uint32_t rows) {
    FrameImage frame = FrameOf();
    FrameImage scene = SceneOf();
    std::vector<PlaneBox> boxes = {TitleBox, CreditsBox};
    EXPECT_GT(CountDifferences(frame, scene, TitleBox), 2000) << "title";
    EXPECT_GT(CountPixels(frame, TitleBox, IsWhite), 2000) << "title";
    EXPECT_GT(CountDifferences(frame, scene, CreditsBox), 300) << "credits";
    for (const ExpectedLine& line : lines) {
        PlaneBox box = TextBox(line.x, line.y, line.size, line.widthEm);
        EXPECT_GT(CountDifferences(frame, scene, box), 30)
            << "line at " << line.x << ", " << line.y;
        boxes.push_back(box);
    }
    for (uint32_t row = 0; row < rows; ++row) {
        int drawn = CountDifferences(frame, scene, CursorBox(row));
        if (row == cursor) {
            EXPECT_GT(drawn, 20) << "cursor row " << row;
        } else {
            EXPECT_EQ(drawn, 0) << "cursor row " << row;
        }
    }
    boxes.push_back(CursorBox(cursor));
    EXPECT_EQ(CountDifferencesOutside(frame, scene, boxes), 0);
}

class Frame : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GL();
        FakeClockMs = 123456;
    }
};

TEST_F(Frame, MainMenuShowsTitleCreditsFiveLinesAndTheCursorOnItsRow) {
    const std::vector<ExpectedLine> lines = {{-0.7f, 0.3f, 0.05f, 8.0f},
                                             {-0.7f, 0.2f, 0.05f, 10.5f},
                                             {-0.7f, 0.1f, 0.05f, 9.0f},
                                             {-0.7f, 0.0f, 0.05f, 7.5f},
                                             {-0.7f, -0.1f, 0.05f, 5.0f}};
    for (uint32_t cursor : {0u, 2u, 4u}) {
        ShowMenuScreen(Screen::MainMenu, cursor);
        ExpectOverlay(lines, cursor, 5);
    }
}

TEST_F(Frame, HighscoresScreenShowsItsHeadingsAndTenRows) {
    ShowMenuScreen(Screen::Highscores, 0);
    std::vector<ExpectedLine> lines = {{-0.7f, 0.3f, 0.05f, 9.5f},
                                       {-0.7f, 0.1f, 0.05f, 5.5f},
                                       {-0.7f, 0.0f, 0.05f, 2.0f},
                                       {-0.4f, 0.0f, 0.05f, 3.5f},
                                       {-0.1f, 0.0f, 0.05f, 3.0f}};
    for (int row = 0; row < HighscoreRows; ++row) {
        float y = -0.08f - 0.06f * static_cast<float>(row);
        lines.push_back({-0.7f, y, 0.04f, 1.5f});
        lines.push_back({-0.4f, y, 0.04f, 5.0f});
        lines.push_back({-0.1f, y, 0.04f, 8.0f});
    }
    ExpectOverlay(lines, 0, 1);
}

TEST_F(Frame, ControlsAndCongratulationsScreensShowTheirLines) {
    ShowMenuScreen(Screen::Controls, 0);
    ExpectOverlay({{-0.7f, 0.3f, 0.05f, 9.5f},
                   {-0.7f, 0.1f, 0.05f, 5.0f},
                   {-0.7f, 0.0f, 0.05f, 17.0f},
                   {-0.7f, -0.1f, 0.05f, 14.0f}},
                  0, 1);
    ShowMenuScreen(Screen::Congratulations, 0);
    ExpectOverlay(
        {{-0.7f, 0.3f, 0.05f, 9.0f}, {-0.7f, 0.1f, 0.1f, 9.0f}, {-0.7f, 0.0f, 0.07f, 15.5f}}, 0, 1);
}

TEST_F(Frame, NameEntryShowsTheNameAndAnEmptyNameShowsNothingOnItsLine) {
    ShowMenuScreen(Screen::NameEntry, 1);
    ExpectOverlay({{-0.7f, 0.3f, 0.05f, 6.0f}, {-0.7f, 0.2f, 0.05f, 9.5f}}, 1, 2);
    // Without a name its line stays empty: nothing is drawn outside the other boxes.
    Players[0].name[0] = '\0';
    ExpectOverlay({{-0.7f, 0.2f, 0.05f, 9.5f}}, 1, 2);
}

// A damaged scores.dat can leave a name without its terminating zero: all 32 bytes show, and
// nothing after them is read (the sanitizers watch the table's end).
TEST_F(Frame, HighscoreNamesFillingAllTheirBytesStopAtTheBuffer) {
    ShowMenuScreen(Screen::Highscores, 0);
    std::memset(HighscoreTable[9].name, 'W', NameBufferSize);
    FrameImage frame = FrameOf();
    float y = -0.08f - 0.06f * 9.0f;
    EXPECT_GT(CountPixels(frame, TextBox(-0.1f, y, 0.04f, 30.0f), IsWhite), 100);
}

// A crafted scores.dat can hold lengths up to 3.4e38: the text stays in the Length column and
// never runs into the Name column (these rows' names are empty, so nothing belongs there).
TEST_F(Frame, HugeHighscoreLengthsStayInTheirColumn) {
    ShowMenuScreen(Screen::Highscores, 0);
    HighscoreTable[0].length = 1e30f;
    HighscoreTable[1].length = -std::numeric_limits<float>::max();
    for (int row : {0, 1}) {
        HighscoreTable[row].name[0] = '\0';
    }
    FrameImage frame = FrameOf();
    FrameImage scene = SceneOf();
    for (int row : {0, 1}) {
        float y = -0.08f - 0.06f * static_cast<float>(row);
        const PlaneBox lengthColumn = {-0.412f, y - 0.022f, -0.1f, y + 0.03f};
        const PlaneBox nameColumn = {-0.1f, y - 0.022f, WholeScreen().right, y + 0.03f};
        EXPECT_GT(CountPixels(frame, lengthColumn, IsWhite), 30) << "row " << row;
        EXPECT_EQ(CountDifferences(frame, scene, nameColumn), 0) << "row " << row;
    }
}

TEST_F(Frame, InAGameTheFrameIsTheSceneWithItsReadoutsAndNoMenu) {
    SetUpRunningGame(42.0f, 75);
    for (int32_t screen = Screen::MainMenu; screen < Screen::Count; ++screen) {
        ScreenState = screen;
        EXPECT_EQ(CountDifferences(FrameOf(), SceneOf()), 0) << "screen " << screen;
    }
    FrameImage withReadouts = SceneOf();
    Players[0].inGame = false;
    FrameImage withoutReadouts = SceneOf();
    PlaneBox pressure = TextBox(-0.9f, -0.6f, 0.05f, 11.0f);
    PlaneBox length = TextBox(-0.9f, -0.7f, 0.05f, 8.5f);
    EXPECT_GT(CountPixels(withReadouts, pressure, IsWhite), 100);
    EXPECT_GT(CountPixels(withReadouts, length, IsWhite), 100);
    EXPECT_EQ(CountDifferencesOutside(withReadouts, withoutReadouts, {pressure, length}), 0);
}

TEST_F(Frame, ClearsToTheFogColourWhichShowsWhereTheSceneFadesOut) {
    ShowMenuScreen(Screen::MainMenu, 0);
    FrameImage frame = Capture([] {
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawFrame();
    });
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    GLfloat fog[4];
    glGetFloatv(GL_FOG_COLOR, fog);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(clear[i], FogColour[i]);
        EXPECT_FLOAT_EQ(fog[i], FogColour[i]);
    }
    auto isRed = [](const uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 0; };
    EXPECT_EQ(CountPixels(frame, WholeScreen(), isRed), 0);
    // 0.1, 0.1, 0.25 of 255, rounded either way.
    auto isFog = [](const uint8_t* p) {
        return p[0] >= 25 && p[0] <= 26 && p[1] >= 25 && p[1] <= 26 && p[2] >= 63 && p[2] <= 64;
    };
    EXPECT_GT(CountPixels(frame, WholeScreen(), isFog), 100);
}

TEST_F(Frame, TheSameStateDrawsTheSamePixelsAndOnlyTheClockMovesTheWave) {
    ShowMenuScreen(Screen::MainMenu, 3);
    EXPECT_EQ(CountDifferences(FrameOf(), FrameOf()), 0);
    SetUpRunningGame(42.0f, 75);
    FrameImage first = FrameOf();
    EXPECT_EQ(CountDifferences(first, FrameOf()), 0);
    FakeClockMs += 500;
    EXPECT_GT(CountDifferences(first, FrameOf()), 0);
}

} // namespace
