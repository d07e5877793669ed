// The whole program on the null shell: the start-up order, the loop's passes with F1, the
// refused mode answered Yes and No, a window lost at a switch, the two ways to quit and a
// shell that saves on every change, each with what it saves. The renderer is a stand-in that
// logs its calls; the game core, the score file and the music player are the real ones.
#include "platform/game_program.h"

#include "game/game_state.h"
#include "game/score_file.h"
#include "platform/game_window.h"
#include "platform/shell.h"
#include "platform/tick_clock.h"
#include "render/render.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/null_shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The renderer's stand-ins record into the null shell's calls, to keep one order.
std::vector<std::string>& Calls = NullShell.calls;
std::deque<std::string>& Script = NullShell.script;
bool RenderSetUpWorks = true;
// How long InitRenderState takes on the counted clock, as texture generation does.
uint32_t RenderSetUpMs = 0;
int DrawnFrames = 0;
// NextTickTime as the first frame was drawn, before that pass's ticks.
uint32_t NextTickAtFirstFrame = 0;

int CountOf(const std::string& call) {
    return static_cast<int>(std::count(Calls.begin(), Calls.end(), call));
}

// The index of the first call `call` at or after `from`, or -1.
int IndexOf(const std::string& call, int from = 0) {
    for (size_t i = static_cast<size_t>(from); i < Calls.size(); ++i) {
        if (Calls[i] == call) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A key held for a few drawing passes, long enough for a 40 ms tick to see it, then let go.
void ScriptKey(int key) {
    Script.push_back("down " + std::to_string(key));
    for (int i = 0; i < 4; ++i) {
        Script.push_back("draw");
    }
    Script.push_back("up " + std::to_string(key));
    Script.push_back("draw");
}

// "Quit game": the cursor from the first line down to the fifth, and Return.
void ScriptQuitThroughMenu() {
    for (int i = 0; i < 4; ++i) {
        ScriptKey(Key::Down);
    }
    ScriptKey(Key::Return);
}

void ScriptDraws(int count) {
    Script.insert(Script.end(), static_cast<size_t>(count), "draw");
}

} // namespace

// --- The fake renderer ----------------------------------------------------------------------

void ResizeView(int32_t width, int32_t height) {
    NullShellLog("resize " + std::to_string(width) + "x" + std::to_string(height));
}

bool InitRenderState() {
    NullShellLog("init render state");
    FakeClockMs += RenderSetUpMs;
    return RenderSetUpWorks;
}

void FreeOutlineFont() {
    NullShellLog("free font");
}

void BuildSphereMesh(int32_t levels) {
    NullShellLog("sphere mesh " + std::to_string(levels));
}

bool DrawFrame() {
    if (DrawnFrames++ == 0) {
        NextTickAtFirstFrame = NextTickTime;
    }
    return true;
}

namespace {

const char* const RefusedQuestion =
    "ask Vorx GL: The Requested Fullscreen Mode Is Not Supported By\n"
    "Your Video Card. Use Windowed Mode Instead?";

class GameProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameState();
        ResetNullShell();
        RenderSetUpWorks = true;
        RenderSetUpMs = 0;
        DrawnFrames = 0;
        FakeClockMs = 100000;
        previous = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() /
                 ("kf_program_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
    }
    void TearDown() override {
        EXPECT_FALSE(NullShell.ranAway) << "the loop did not end within the script";
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }

    static bool TableSaved() { return std::filesystem::exists(ScoreFileName); }

    std::filesystem::path previous;
    std::filesystem::path folder;
};

TEST_F(GameProgram, StartsInOrderAndQuitsThroughTheMenuWithASave) {
    ScriptDraws(3);
    ScriptQuitThroughMenu();
    EXPECT_EQ(RunGame(), 0);

    const std::vector<std::string> startUp = {"open fullscreen 1024x768x32",
                                              "resize 1024x768",
                                              "init render state",
                                              "capture joysticks",
                                              "start sound",
                                              "start music",
                                              "sphere mesh 3"};
    ASSERT_GE(Calls.size(), startUp.size());
    EXPECT_EQ(std::vector<std::string>(Calls.begin(), Calls.begin() + 7), startUp);
    const std::vector<std::string> shutdown = {"close", "free font", "stop music", "stop sound",
                                               "release joysticks"};
    EXPECT_EQ(std::vector<std::string>(Calls.end() - 5, Calls.end()), shutdown);
    EXPECT_TRUE(TableSaved());
    EXPECT_EQ(CountOf("table saved"), 1);
    EXPECT_GT(DrawnFrames, 20);
    EXPECT_EQ(Players.size(), 1u);
    EXPECT_STREQ(Players[0].name, "VOV1ER0U");
}

TEST_F(GameProgram, ClosingTheWindowQuitsWithTheSameSave) {
    ScriptDraws(3);
    Script.push_back("quit");
    EXPECT_EQ(RunGame(), 0);
    EXPECT_TRUE(TableSaved());
    EXPECT_EQ(CountOf("close"), 1);
    EXPECT_LT(IndexOf("close"), IndexOf("stop music"));
}

TEST_F(GameProgram, TheStartUpTimeIsCaughtUpByTicksFromBeforeTheWindow) {
    // The clock is read before the window, whose textures take 2 s here.
    RenderSetUpMs = 2000;
    const uint32_t started = FakeClockMs;
    ScriptDraws(1);
    Script.push_back("quit");
    RunGame();
    ASSERT_EQ(DrawnFrames, 1);
    EXPECT_EQ(NextTickAtFirstFrame, started);
    // The one pass ran the 50 ticks of those 2 s back to back.
    EXPECT_GE(NextTickTime, started + 2000u);
}

TEST_F(GameProgram, F1TwiceMakesTheWindowAnewInEachModeAndTheGameGoesOn) {
    ScriptDraws(2);
    ScriptKey(Key::F1);
    ScriptDraws(2);
    ScriptKey(Key::F1);
    ScriptDraws(2);
    Script.push_back("quit");
    EXPECT_EQ(RunGame(), 0);

    const int firstSwitch = IndexOf("close");
    ASSERT_GE(firstSwitch, 0);
    const std::vector<std::string> windowed = {
        "close",           "free font",         "open windowed 1024x768x32",
        "resize 1024x768", "init render state", "capture joysticks"};
    EXPECT_EQ(
        std::vector<std::string>(Calls.begin() + firstSwitch, Calls.begin() + firstSwitch + 6),
        windowed);
    const int secondSwitch = IndexOf("close", firstSwitch + 1);
    ASSERT_GE(secondSwitch, 0);
    EXPECT_EQ(Calls[static_cast<size_t>(secondSwitch) + 2], "open fullscreen 1024x768x32");
    EXPECT_TRUE(Fullscreen);
    // Music, sound and the mesh are made once for the run.
    EXPECT_EQ(CountOf("start music"), 1);
    EXPECT_EQ(CountOf("sphere mesh 3"), 1);
    EXPECT_EQ(CountOf("init render state"), 3);
    EXPECT_TRUE(TableSaved());
}

// A page's WebGL context lost and given back: the window is made again in the mode it had,
// with everything its context held, and the game goes on.
TEST_F(GameProgram, ALostContextMakesTheWindowAgainInItsMode) {
    ScriptDraws(2);
    Script.push_back("context lost");
    ScriptDraws(2);
    Script.push_back("quit");
    EXPECT_EQ(RunGame(), 0);
    const int rebuilt = IndexOf("close");
    ASSERT_GE(rebuilt, 0);
    EXPECT_EQ(Calls[static_cast<size_t>(rebuilt) + 2], "open fullscreen 1024x768x32");
    EXPECT_TRUE(Fullscreen);
    EXPECT_EQ(CountOf("init render state"), 2);
    EXPECT_EQ(CountOf("start music"), 1);
    EXPECT_TRUE(TableSaved());
}

TEST_F(GameProgram, ARefusedModeAnsweredYesPlaysInAWindow) {
    NullShell.openResults = {WindowResult::ModeRefused};
    ScriptDraws(2);
    Script.push_back("quit");
    EXPECT_EQ(RunGame(), 0);
    ASSERT_GE(Calls.size(), 3u);
    EXPECT_EQ(Calls[0], "open fullscreen 1024x768x32");
    EXPECT_EQ(Calls[1], RefusedQuestion);
    EXPECT_EQ(Calls[2], "open windowed 1024x768x32");
    EXPECT_FALSE(Fullscreen);
    EXPECT_EQ(CountOf("start music"), 1);
    EXPECT_TRUE(TableSaved());
}

TEST_F(GameProgram, ARefusedModeAnsweredNoEndsBeforeTheMusicWithoutTouchingTheTable) {
    NullShell.openResults = {WindowResult::ModeRefused};
    NullShell.yesAnswer = false;
    EXPECT_EQ(RunGame(), 0);
    const std::vector<std::string> expected = {"open fullscreen 1024x768x32", RefusedQuestion,
                                               "box ERROR: Program Will Now Close. (stop)"};
    EXPECT_EQ(Calls, expected);
    EXPECT_FALSE(TableSaved());
}

TEST_F(GameProgram, AWindowLostAtTheSwitchEndsWithoutASave) {
    NullShell.openResults = {WindowResult::Opened, WindowResult::CreateFailed};
    ScriptDraws(2);
    ScriptKey(Key::F1);
    EXPECT_EQ(RunGame(), 0);
    EXPECT_FALSE(TableSaved());
    const int box = IndexOf("box ERROR: Window Creation Error. (exclamation)");
    ASSERT_GE(box, 0);
    // The music and the rest stop all the same; nothing is drawn after the loss.
    const std::vector<std::string> after = {"stop music", "stop sound", "release joysticks"};
    EXPECT_EQ(std::vector<std::string>(Calls.begin() + box + 1, Calls.end()), after);
}

TEST_F(GameProgram, EveryFailedStepOfTheWindowIsToldInItsOwnWords) {
    const std::pair<WindowResult, const char*> failures[] = {
        {WindowResult::ClassFailed, "Failed To Register The Window Class."},
        {WindowResult::NoDisplay, "No Display Could Be Opened."},
        {WindowResult::CreateFailed, "Window Creation Error."},
        {WindowResult::NoDeviceContext, "Can't Create A GL Device Context."},
        {WindowResult::NoPixelFormat, "Can't Find A Suitable PixelFormat."},
        {WindowResult::PixelFormatRefused, "Can't Set The PixelFormat."},
        {WindowResult::NoRenderContext, "Can't Create A GL Rendering Context."},
        {WindowResult::ContextNotCurrent, "Can't Activate The GL Rendering Context."},
    };
    for (const auto& [result, text] : failures) {
        Calls.clear();
        NullShell.openResults = {result};
        EXPECT_FALSE(OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, true));
        EXPECT_EQ(Calls.back(), std::string("box ERROR: ") + text + " (exclamation)");
        EXPECT_EQ(CountOf("init render state"), 0) << text;
    }
}

TEST_F(GameProgram, AFailedRendererSetUpClosesTheWindowBeforeItsMessage) {
    RenderSetUpWorks = false;
    EXPECT_EQ(RunGame(), 0);
    const std::vector<std::string> tail = {"close", "free font",
                                           "box ERROR: Initialization Failed. (exclamation)"};
    ASSERT_GE(Calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(Calls.end() - 3, Calls.end()), tail);
    EXPECT_EQ(CountOf("start music"), 0);
}

TEST_F(GameProgram, EveryFailedTeardownStepIsToldUnderShutdownError) {
    const std::pair<CloseStep, const char*> failures[] = {
        {CloseStep::ReleaseContext, "Release Of DC And RC Failed."},
        {CloseStep::DeleteContext, "Release Rendering Context Failed."},
        {CloseStep::ReleaseDeviceContext, "Release Device Context Failed."},
        {CloseStep::DestroyWindow, "Could Not Release hWnd."},
        {CloseStep::UnregisterWindowClass, "Could Not Unregister Class."},
    };
    for (const auto& [step, text] : failures) {
        Calls.clear();
        ReportCloseFailure(step);
        EXPECT_EQ(Calls.back(), std::string("box SHUTDOWN ERROR: ") + text + " (information)");
    }
}

TEST_F(GameProgram, AMinimisedWindowDrawsNothingButTheGameRunsOn) {
    Script.push_back("minimise");
    ScriptDraws(50);
    Script.push_back("quit");
    const uint32_t started = FakeClockMs;
    RunGame();
    EXPECT_EQ(DrawnFrames, 0);
    // Still one swap a pass, and the ticks follow the clock.
    EXPECT_GE(CountOf("swap"), 50);
    EXPECT_GT(NextTickTime, started + 40u * 10);
}

TEST_F(GameProgram, AfterTheSystemLeftFullscreenF1AsksForFullscreenAgain) {
    ScriptDraws(2);
    Script.push_back("fullscreen left");
    ScriptDraws(2);
    ScriptKey(Key::F1);
    Script.push_back("quit");
    EXPECT_EQ(RunGame(), 0);
    const int switched = IndexOf("close");
    ASSERT_GE(switched, 0);
    EXPECT_EQ(Calls[static_cast<size_t>(switched) + 2], "open fullscreen 1024x768x32");
}

// A page can be closed at any moment: where the shell asks for it, each frame that finds the
// table changed saves it, once, and tells the shell.
TEST_F(GameProgram, AShellThatSavesOnEveryChangeGetsTheTableAfterTheFrameThatChangedIt) {
    NullShell.savesTableOnChange = true;
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(RunFrame(), FrameResult::Running);
    EXPECT_FALSE(TableSaved()) << "an unchanged table is not saved";

    HighscoreTable[0].length = 9999.0f;
    EXPECT_EQ(RunFrame(), FrameResult::Running);
    EXPECT_TRUE(TableSaved());
    EXPECT_EQ(CountOf("table saved"), 1);
    EXPECT_EQ(RunFrame(), FrameResult::Running);
    EXPECT_EQ(CountOf("table saved"), 1) << "saved again without a change";

    Script.push_back("quit");
    EXPECT_EQ(RunFrame(), FrameResult::Ended);
    EXPECT_EQ(CountOf("table saved"), 2);
}

TEST_F(GameProgram, ADesktopShellSavesOnlyAtTheEnd) {
    ASSERT_TRUE(StartProgram());
    HighscoreTable[0].length = 9999.0f;
    ScriptDraws(3);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(RunFrame(), FrameResult::Running);
    }
    EXPECT_FALSE(TableSaved());
    Script.push_back("quit");
    EXPECT_EQ(RunFrame(), FrameResult::Ended);
    EXPECT_TRUE(TableSaved());
}

} // namespace
