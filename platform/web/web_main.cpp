// Kesselfass 3D's entry in a page: the storage loaded first, then the shared program run one
// frame at a time from the browser's frame callback; when the program has ended ("Quit game")
// the page offers to play again.
#include "platform/game_program.h"
#include "platform/web/web_shell.h"

#include <emscripten/emscripten.h>

namespace {

bool Started = false;
bool FirstFrameMarked = false;

void Frame() {
    if (!Started) {
        if (!StorageSettled()) {
            return;
        }
        Started = true;
        // A window that cannot be made has said why in the page.
        if (!StartProgram()) {
            emscripten_cancel_main_loop();
        }
        return;
    }
    if (RunFrame() == FrameResult::Ended) {
        emscripten_cancel_main_loop();
        HandKeysToPage();
        PageShowPlayAgain();
        return;
    }
    if (!FirstFrameMarked) {
        FirstFrameMarked = true;
        PageMarkFirstFrame();
    }
}

} // namespace

void RunPage() {
    InstallPageCallbacks();
    StartStorage();
    emscripten_set_main_loop(Frame, 0, EM_FALSE);
}
