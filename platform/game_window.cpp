// OpenGameWindow / CloseGameWindow on SDL2: each step of making the window, its pixel format
// and its GL context, reported with the message of the matching step of the original design.
#include "platform/game_window.h"

#include "game/game_state.h"
#include "platform/message_box.h"
#include "platform/window_icon.h"
#include "render/render.h"

#include <SDL.h>

namespace {

SDL_Window* Window = nullptr;
SDL_GLContext Context = nullptr;
bool VideoStarted = false;
bool CursorHidden = false;

enum class OpenResult { Opened, Failed, ModeRefused };

void ShowError(const char* text) {
    ShowMessage("ERROR", text, BoxIcon::Exclamation);
}

void ShowShutdownError(const char* text) {
    ShowMessage("SHUTDOWN ERROR", text, BoxIcon::Information);
}

// Without any display SDL falls back to a driver that shows nothing ("offscreen", "dummy"),
// where the game would run unseen and fail later for a reason that misleads. Only an
// explicit SDL_VIDEODRIVER may choose one of them.
bool DisplayOpened() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return false;
    }
    if (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0) {
        return true;
    }
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    return requested != nullptr && SDL_strcasestr(requested, driver) != nullptr;
}

// The display mode a fullscreen window asks for: exactly width x height at `bits`. SDL only
// knows "closest", so anything else it offers counts as refused.
bool FindFullscreenMode(int32_t width, int32_t height, int32_t bits, SDL_DisplayMode* mode) {
    SDL_DisplayMode wanted;
    SDL_zero(wanted);
    wanted.format = bits >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    wanted.w = width;
    wanted.h = height;
    if (SDL_GetClosestDisplayMode(0, &wanted, mode) == nullptr) {
        return false;
    }
    return mode->w == width && mode->h == height &&
           static_cast<int32_t>(SDL_BYTESPERPIXEL(mode->format)) * 8 >= bits;
}

// The display really runs the mode now (a driver may accept the request and still keep the
// desktop's mode).
bool FullscreenModeApplied(int32_t width, int32_t height) {
    SDL_DisplayMode current;
    const int display = SDL_GetWindowDisplayIndex(Window);
    return (SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN) != 0 && display >= 0 &&
           SDL_GetCurrentDisplayMode(display, &current) == 0 && current.w == width &&
           current.h == height;
}

// The pixel format: RGBA with 8 bits a channel, double buffer, 16-bit depth, no stencil.
bool SetPixelFormatAttributes(int alphaBits) {
    return SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alphaBits) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0;
}

// The context's format really is double-buffered with a depth buffer.
bool PixelFormatIsUsable() {
    int doubleBuffer = 0;
    int depthBits = 0;
    return SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer) == 0 && doubleBuffer == 1 &&
           SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits) == 0 && depthBits >= 16;
}

SDL_Window* CreateSdlWindow(const char* title, int32_t width, int32_t height) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    // A fullscreen window covers the display; a windowed one sizes like any desktop window.
    flags |= Fullscreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_RESIZABLE;
    return SDL_CreateWindow(title, 0, 0, width, height, flags);
}

// Window and pixel format: RGBA 8-8-8-8 first, then without destination alpha, which the
// game never reads and some X servers' visuals lack.
bool CreateWindowWithFormat(const char* title, int32_t width, int32_t height) {
    for (int alphaBits : {8, 0}) {
        if (!SetPixelFormatAttributes(alphaBits)) {
            CloseGameWindow();
            ShowError("Can't Find A Suitable PixelFormat.");
            return false;
        }
        Window = CreateSdlWindow(title, width, height);
        if (Window != nullptr) {
            return true;
        }
    }
    CloseGameWindow();
    ShowError("Window Creation Error.");
    return false;
}

bool CreateCurrentContext() {
    Context = SDL_GL_CreateContext(Window);
    if (Context == nullptr) {
        CloseGameWindow();
        ShowError("Can't Create A GL Rendering Context.");
        return false;
    }
    if (SDL_GL_MakeCurrent(Window, Context) != 0) {
        CloseGameWindow();
        ShowError("Can't Activate The GL Rendering Context.");
        return false;
    }
    if (!PixelFormatIsUsable()) {
        CloseGameWindow();
        ShowError("Can't Set The PixelFormat.");
        return false;
    }
    // Wait for the display where the driver can; the main loop paces passes where it cannot.
    SDL_GL_SetSwapInterval(1);
    return true;
}

void ShowAndFocus() {
    SDL_ShowWindow(Window);
    SDL_RaiseWindow(Window);
    SDL_SetWindowInputFocus(Window);
    if (Fullscreen) {
        SDL_ShowCursor(SDL_DISABLE);
        CursorHidden = true;
    }
}

OpenResult TryOpen(const char* title, int32_t width, int32_t height, int32_t bits) {
    // The designed window-class registration: here, starting SDL's video once per run.
    if (!VideoStarted) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            ShowError("Failed To Register The Window Class.");
            return OpenResult::Failed;
        }
        if (!DisplayOpened()) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            ShowError("No Display Could Be Opened.");
            return OpenResult::Failed;
        }
        VideoStarted = true;
    }
    SDL_DisplayMode mode;
    if (Fullscreen && !FindFullscreenMode(width, height, bits, &mode)) {
        return OpenResult::ModeRefused;
    }
    if (!CreateWindowWithFormat(title, width, height)) {
        return OpenResult::Failed;
    }
    if (Fullscreen && SDL_SetWindowDisplayMode(Window, &mode) != 0) {
        CloseGameWindow();
        return OpenResult::ModeRefused;
    }
    SetWindowIconFromResources(Window);
    if (!CreateCurrentContext()) {
        return OpenResult::Failed;
    }
    ShowAndFocus();
    if (Fullscreen && !FullscreenModeApplied(width, height)) {
        CloseGameWindow();
        return OpenResult::ModeRefused;
    }
    ResizeView(width, height);
    if (!InitRenderState()) {
        CloseGameWindow();
        ShowError("Initialization Failed.");
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
}

// The question when the display refuses the mode. Yes: go on windowed. No: the program ends.
bool AcceptWindowedMode() {
    if (!AskYesNo("Vorx GL", "The Requested Fullscreen Mode Is Not Supported By\n"
                             "Your Video Card. Use Windowed Mode Instead?")) {
        ShowMessage("ERROR", "Program Will Now Close.", BoxIcon::Stop);
        return false;
    }
    Fullscreen = false;
    return true;
}

} // namespace

bool OpenGameWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                    bool fullscreen) {
    Fullscreen = fullscreen;
    OpenResult result = TryOpen(title, width, height, bits);
    if (result == OpenResult::ModeRefused) {
        if (!AcceptWindowedMode()) {
            return false;
        }
        result = TryOpen(title, width, height, bits);
    }
    return result == OpenResult::Opened;
}

void CloseGameWindow() {
    if (Window != nullptr && Fullscreen) {
        // Back to the desktop's mode before anything else, so any box below shows on it.
        SDL_SetWindowFullscreen(Window, 0);
    }
    if (CursorHidden) {
        SDL_ShowCursor(SDL_ENABLE);
        CursorHidden = false;
    }
    if (Context != nullptr) {
        if (SDL_GL_MakeCurrent(Window, nullptr) != 0) {
            ShowShutdownError("Release Of DC And RC Failed.");
        }
        SDL_GL_DeleteContext(Context);
        Context = nullptr;
    }
    if (Window != nullptr) {
        SDL_DestroyWindow(Window);
        Window = nullptr;
    }
    // SDL's video stays up for the next window (the designed class unregistering has no
    // counterpart here); SDL_Quit at the program's end shuts it. Restarting it on every F1
    // would reconnect to the display for nothing.
    FreeOutlineFont();
}

void SwapGameWindow() {
    if (Window != nullptr) {
        SDL_GL_SwapWindow(Window);
    }
}

uint32_t GameWindowId() {
    return Window != nullptr ? SDL_GetWindowID(Window) : 0;
}

int GameWindowRefreshRate() {
    if (Window == nullptr) {
        return 0;
    }
    SDL_DisplayMode mode;
    const int display = SDL_GetWindowDisplayIndex(Window);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}
