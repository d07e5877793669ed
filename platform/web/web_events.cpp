// Events in a page: the browser's key, resize and fullscreen callbacks (and the fingers and
// buttons of web_touch.cpp) queue events, and the main loop takes one per pass, as it takes a
// desktop's messages (a short press waits for a tick before its release, see MustWaitForATick).
// Keys go into KeyTable through the shared key table; the first gamepad's buttons are read
// once per drawing pass. A page that loses the focus lets go of every key, and once the game
// has ended the keys are the page's own again. A hidden page is a minimised window: the game's
// time goes on, nothing is drawn.
#include "game/game_state.h"
#include "platform/key_table.h"
#include "platform/shell.h"
#include "platform/tick_clock.h"
#include "platform/web/web_shell.h"
#include "render/render.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <bitset>
#include <cstring>
#include <deque>

namespace {

enum class EventKind { Key, Resize, FullscreenLeft, ContextLost, Visibility };

// While the page is hidden the browser gives it no frame callbacks; the passes then run from
// a timer (which the browser slows down, to once a minute at the most), so that the ticks of
// the hidden time run a few at a time and not all in the first frame after it is shown again.
constexpr int HiddenPassMs = 40;

struct PageEvent {
    EventKind kind;
    int virtualKey = -1;
    bool down = false;
    bool altHeld = false;
    int32_t width = 0;
    int32_t height = 0;
    bool hidden = false;
};

std::deque<PageEvent> Queue;

// clang-format off
EM_JS(int, JsMainLoopRunning, (), { return Browser.mainLoop.func ? 1 : 0; });
// clang-format on
bool GamepadCaptured = false;
bool KeysArePagesOwn = false;
// Keys taken down and not yet up, with the tick that was due when each went down.
std::bitset<256> Held;
uint32_t DueTickAtDown[256] = {};
// Keys queued down and not yet queued up: what a lost focus must let go.
std::bitset<256> QueuedDown;

void PushKey(int virtualKey, bool down, bool altHeld) {
    PageEvent key{EventKind::Key};
    key.virtualKey = virtualKey;
    key.down = down;
    key.altHeld = altHeld;
    Queue.push_back(key);
    QueuedDown.set(static_cast<size_t>(virtualKey), down);
}

// Keys the game reads must not also scroll the page, go back a page or open the browser's
// help; with Ctrl or Meta held a key stays the browser's shortcut. Where the browser has no
// fullscreen for a page (an iPhone), F1 does nothing at all.
EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    if (KeysArePagesOwn) {
        return EM_FALSE;
    }
    const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
    const int virtualKey = VirtualKeyFromDom(event->key, event->code, down);
    if (virtualKey < 0) {
        return EM_FALSE;
    }
    if (virtualKey != Key::F1 || PageCanGoFullscreen()) {
        PushKey(virtualKey, down, event->altKey != 0);
    }
    return event->ctrlKey || event->metaKey ? EM_FALSE : EM_TRUE;
}

// Alt-Tab, the address bar, another tab: the keys and fingers that were down never come up
// here, so they are let go now.
EM_BOOL OnFocusLost(int, const EmscriptenFocusEvent*, void*) {
    ReleaseEverything();
    return EM_FALSE;
}

EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (event->hidden) {
        ReleaseEverything();
    }
    PageEvent visibility{EventKind::Visibility};
    visibility.hidden = event->hidden != 0;
    Queue.push_back(visibility);
    // A new timing takes effect only when the loop is scheduled anew; the loop has ended for
    // good once the game has.
    if (JsMainLoopRunning() != 0) {
        emscripten_pause_main_loop();
        if (visibility.hidden) {
            emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, HiddenPassMs);
        } else {
            emscripten_set_main_loop_timing(EM_TIMING_RAF, 1);
        }
        emscripten_resume_main_loop();
    }
    return EM_FALSE;
}

EM_BOOL OnResize(int, const EmscriptenUiEvent*, void*) {
    QueueCanvasResize();
    return EM_FALSE;
}

EM_BOOL OnFullscreenChange(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    if (!event->isFullscreen) {
        Queue.push_back(PageEvent{EventKind::FullscreenLeft});
    }
    QueueCanvasResize();
    return EM_FALSE;
}

// The browser left fullscreen by itself (Escape, the browser's own controls) or refused it:
// the program's flag follows (ShellEvent::FullscreenLeft).
ShellEvent HandleEvent(const PageEvent& event) {
    switch (event.kind) {
    case EventKind::Key:
        ApplyVirtualKey(event.virtualKey, event.down, event.altHeld);
        break;
    case EventKind::Resize:
        ResizeView(event.width, event.height);
        break;
    case EventKind::FullscreenLeft:
        return ShellEvent::FullscreenLeft;
    case EventKind::ContextLost:
        return ShellEvent::ContextLost;
    case EventKind::Visibility:
        WindowActive = !event.hidden;
        break;
    }
    return ShellEvent::Handled;
}

// A browser gathers the events of a whole frame before the frame callback runs, where a
// desktop's loop takes them between its passes, and a frame need not run a tick. A press
// shorter than a frame (a tap, or the presses a tap on a menu line makes) would so come down
// and up before any tick saw it. So a key is let go only after a tick has run since it went
// down.
bool MustWaitForATick(const PageEvent& event) {
    if (event.kind != EventKind::Key || event.down || event.virtualKey < 0) {
        return false;
    }
    const size_t key = static_cast<size_t>(event.virtualKey);
    return Held.test(key) && DueTickAtDown[key] == NextTickTime;
}

void TakeKey(const PageEvent& event) {
    const size_t key = static_cast<size_t>(event.virtualKey);
    Held.set(key, event.down);
    if (event.down) {
        DueTickAtDown[key] = NextTickTime;
    }
}

} // namespace

void InstallPageCallbacks() {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_resize_callback(window, nullptr, EM_FALSE, OnResize);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                             OnFullscreenChange);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, OnFocusLost);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibilityChange);
    InstallTouchCallbacks();
}

void QueueKey(int virtualKey, bool down) {
    PushKey(virtualKey, down, false);
}

void QueueKeyPress(int virtualKey) {
    PushKey(virtualKey, true, false);
    PushKey(virtualKey, false, false);
}

void QueueContextLost() {
    Queue.push_back(PageEvent{EventKind::ContextLost});
}

void ReleaseEverything() {
    for (size_t key = 0; key < QueuedDown.size(); ++key) {
        if (QueuedDown.test(key)) {
            PushKey(static_cast<int>(key), false, false);
        }
    }
    ReleaseFingers();
}

void HandKeysToPage() {
    KeysArePagesOwn = true;
}

void QueueCanvasResize() {
    PageEvent resize{EventKind::Resize};
    PageCanvasSize(&resize.width, &resize.height);
    Queue.push_back(resize);
}

ShellEvent ShellTakeEvent() {
    if (PageTakeFullscreenRefusal()) {
        Queue.push_back(PageEvent{EventKind::FullscreenLeft});
    }
    if (Queue.empty() || MustWaitForATick(Queue.front())) {
        PollGamepad();
        UpdatePageControls();
        // A page has no notification thread: the song's stream is served once a frame here.
        PumpMusic();
        return ShellEvent::NoEvent;
    }
    const PageEvent event = Queue.front();
    Queue.pop_front();
    if (event.kind == EventKind::Key) {
        TakeKey(event);
    }
    return HandleEvent(event);
}

void CaptureJoysticks() {
    GamepadCaptured = true;
}

void ReleaseJoysticks() {
    GamepadCaptured = false;
    std::memset(JoystickButtons, 0, sizeof JoystickButtons);
}

// Buttons 0 to 3 of the Gamepad API's first connected pad are the joystick's buttons 1 to 4.
void PollGamepad() {
    if (!GamepadCaptured || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
        return;
    }
    const int count = emscripten_get_num_gamepads();
    for (int index = 0; index < count; ++index) {
        EmscriptenGamepadEvent pad;
        if (emscripten_get_gamepad_status(index, &pad) != EMSCRIPTEN_RESULT_SUCCESS ||
            !pad.connected) {
            continue;
        }
        for (int button = 0; button < 4; ++button) {
            JoystickButtons[button] = button < pad.numButtons && pad.digitalButton[button];
        }
        return;
    }
    // The pad went away: nothing is held any more.
    std::memset(JoystickButtons, 0, sizeof JoystickButtons);
}
