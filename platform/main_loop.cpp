// The main loop's order, written once for the SDL and the Win32 shell.
#include "platform/main_loop.h"

#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/platform_calls.h"
#include "game/score_file.h"
#include "platform/game_window.h"
#include "platform/tick_clock.h"
#include "render/render.h"

LoopEnd RunMainLoop(const MainLoopShell& shell) {
    for (;;) {
        bool quit = false;
        if (shell.takeMessage(quit)) {
            if (quit) {
                return LoopEnd::Quit;
            }
            continue;
        }
        if (WindowActive) {
            if (DrawFrame()) {
                shell.swapBuffers();
            } else {
                QuitRequested = true;
            }
        } else {
            shell.swapBuffers();
        }
        if (KeyTable[Key::F1]) {
            KeyTable[Key::F1] = false;
            if (!shell.switchWindowMode()) {
                return LoopEnd::WindowLost;
            }
        }
        RunDueTicks(GetTickCount(), GameTick);
        if (QuitRequested) {
            return LoopEnd::Quit;
        }
        if (shell.afterPass != nullptr) {
            shell.afterPass();
        }
    }
}

bool ReopenInOtherMode() {
    CloseGameWindow();
    Fullscreen = !Fullscreen;
    return OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, Fullscreen);
}

bool StartGameAndOpenWindow() {
    Fullscreen = true;
    for (bool& button : JoystickButtons) {
        button = false;
    }
    AddPlayer("VOV1ER0U");
    NextTickTime = GetTickCount();
    return OpenGameWindow(WindowTitle, WindowWidth, WindowHeight, WindowBits, Fullscreen);
}

void SaveAndCloseGame() {
    SaveHighscores();
    CloseGameWindow();
}
