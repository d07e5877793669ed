// OpenGameWindow / CloseGameWindow on any shell: the fallback from a refused fullscreen mode
// to a window, the renderer's set-up for each new window, and every message the player sees
// when the window cannot be made or torn down.
#include "platform/game_window.h"

#include "game/game_state.h"
#include "platform/shell.h"
#include "render/render.h"

namespace {

// The caption of every failure to make the window.
constexpr const char* ErrorCaption = "ERROR";

const char* OpenFailureText(WindowResult result) {
    switch (result) {
    case WindowResult::ClassFailed:
        return "Failed To Register The Window Class.";
    case WindowResult::NoDisplay:
        return "No Display Could Be Opened.";
    case WindowResult::CreateFailed:
        return "Window Creation Error.";
    case WindowResult::NoDeviceContext:
        return "Can't Create A GL Device Context.";
    case WindowResult::NoPixelFormat:
        return "Can't Find A Suitable PixelFormat.";
    case WindowResult::PixelFormatRefused:
        return "Can't Set The PixelFormat.";
    case WindowResult::NoRenderContext:
        return "Can't Create A GL Rendering Context.";
    case WindowResult::ContextNotCurrent:
        return "Can't Activate The GL Rendering Context.";
    case WindowResult::Opened:
    case WindowResult::ModeRefused:
        break;
    }
    return "Window Creation Error.";
}

// The question when the display refuses the mode. Yes: go on windowed. No: the program ends.
bool AcceptWindowedMode() {
    if (!ShellAskYesNo("Vorx GL", "The Requested Fullscreen Mode Is Not Supported By\n"
                                  "Your Video Card. Use Windowed Mode Instead?")) {
        ShellShowBox(ErrorCaption, "Program Will Now Close.", BoxIcon::Stop);
        return false;
    }
    Fullscreen = false;
    return true;
}

} // namespace

bool OpenGameWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                    bool fullscreen) {
    Fullscreen = fullscreen;
    WindowResult result = ShellOpenWindow(title, width, height, bits, Fullscreen);
    if (result == WindowResult::ModeRefused) {
        if (!AcceptWindowedMode()) {
            return false;
        }
        result = ShellOpenWindow(title, width, height, bits, Fullscreen);
    }
    if (result != WindowResult::Opened) {
        // The shell has closed what it made: the box shows on the desktop's own mode.
        ShellShowBox(ErrorCaption, OpenFailureText(result), BoxIcon::Exclamation);
        return false;
    }
    ResizeView(width, height);
    if (!InitRenderState()) {
        CloseGameWindow();
        ShellShowBox(ErrorCaption, "Initialization Failed.", BoxIcon::Exclamation);
        return false;
    }
    return true;
}

void CloseGameWindow() {
    ShellCloseWindow();
    // The lists belonged to the context that is gone now; only the bookkeeping is left.
    FreeOutlineFont();
}

void ReportCloseFailure(CloseStep step) {
    const char* text = "Could Not Unregister Class.";
    switch (step) {
    case CloseStep::ReleaseContext:
        text = "Release Of DC And RC Failed.";
        break;
    case CloseStep::DeleteContext:
        text = "Release Rendering Context Failed.";
        break;
    case CloseStep::ReleaseDeviceContext:
        text = "Release Device Context Failed.";
        break;
    case CloseStep::DestroyWindow:
        text = "Could Not Release hWnd.";
        break;
    case CloseStep::UnregisterWindowClass:
        break;
    }
    ShellShowBox("SHUTDOWN ERROR", text, BoxIcon::Information);
}
