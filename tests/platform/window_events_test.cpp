// The window procedure of the SDL build: minimise and restore into WindowActive, close
// requests into the quit that ends the loop, keys into KeyTable, stale window events ignored.
#include "platform/sdl/window_events.h"

#include "game/game_state.h"
#include "platform/sdl/sdl_window.h"

#include <gtest/gtest.h>

namespace {

SDL_Event WindowEvent(Uint8 what, Uint32 windowId) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.windowID = windowId;
    return event;
}

SDL_Event KeyDown(SDL_Keycode key, Uint16 mod) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    return event;
}

// True when a quit event waits in SDL's queue (and takes it out).
bool QuitIsQueued() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            return true;
        }
    }
    return false;
}

class WindowEventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameState();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_EVENTS); }
    // No window is open in these tests, so the game's window id is 0.
    const Uint32 gameWindow = GameWindowId();
};

} // namespace

TEST_F(WindowEventsTest, MinimiseAndRestoreDriveWindowActive) {
    ASSERT_TRUE(WindowActive);
    EXPECT_TRUE(HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_MINIMIZED, gameWindow)));
    EXPECT_FALSE(WindowActive);
    // Losing the focus is not minimising: the game keeps drawing.
    HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST, gameWindow));
    EXPECT_FALSE(WindowActive);
    HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_RESTORED, gameWindow));
    EXPECT_TRUE(WindowActive);
    HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST, gameWindow));
    EXPECT_TRUE(WindowActive);
}

TEST_F(WindowEventsTest, EventsOfAWindowClosedByASwitchAreIgnored) {
    HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_MINIMIZED, gameWindow + 7));
    EXPECT_TRUE(WindowActive);
    HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_CLOSE, gameWindow + 7));
    EXPECT_FALSE(QuitIsQueued());
}

TEST_F(WindowEventsTest, ACloseRequestQueuesTheQuitThatEndsTheLoop) {
    EXPECT_TRUE(HandleGameEvent(WindowEvent(SDL_WINDOWEVENT_CLOSE, gameWindow)));
    EXPECT_TRUE(QuitIsQueued());
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;
    EXPECT_FALSE(HandleGameEvent(quit));
}

TEST_F(WindowEventsTest, AltF4ClosesAndIsNoKeyForTheGame) {
    EXPECT_TRUE(HandleGameEvent(KeyDown(SDLK_F4, KMOD_LALT)));
    EXPECT_TRUE(QuitIsQueued());
    EXPECT_TRUE(HandleGameEvent(KeyDown(SDLK_a, KMOD_NONE)));
    EXPECT_TRUE(KeyTable[Key::A]);
    EXPECT_FALSE(QuitIsQueued());
}
