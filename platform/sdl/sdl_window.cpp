// The game's window on SDL2: the display mode, the window with its pixel format and GL context,
// each step's failure named to the shared code, and the teardown in reverse.
#include "platform/sdl/sdl_window.h"

#include "platform/sdl/window_icon.h"
#include "platform/shell.h"

#include <SDL.h>

#include <initializer_list>

namespace {

SDL_Window* Window = nullptr;
SDL_GLContext Context = nullptr;
bool VideoStarted = false;
bool CursorHidden = false;
bool ModeChanged = false;

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

// The designed window-class registration: here, starting SDL's video once per run. It stays
// up for the next window (SDL_Quit at the program's end shuts it): restarting it on every F1
// would reconnect to the display for nothing.
WindowResult StartVideo() {
    if (VideoStarted) {
        return WindowResult::Opened;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return WindowResult::ClassFailed;
    }
    if (!DisplayOpened()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return WindowResult::NoDisplay;
    }
    VideoStarted = true;
    return WindowResult::Opened;
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

SDL_Window* CreateSdlWindow(const char* title, int32_t width, int32_t height, bool fullscreen) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    // A fullscreen window covers the display; a windowed one sizes like any desktop window.
    flags |= fullscreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_RESIZABLE;
    return SDL_CreateWindow(title, 0, 0, width, height, flags);
}

// Window and pixel format: RGBA 8-8-8-8 first, then without destination alpha, which the
// game never reads and some X servers' visuals lack.
WindowResult CreateWindowWithFormat(const char* title, int32_t width, int32_t height,
                                    bool fullscreen) {
    for (int alphaBits : {8, 0}) {
        if (!SetPixelFormatAttributes(alphaBits)) {
            return WindowResult::NoPixelFormat;
        }
        Window = CreateSdlWindow(title, width, height, fullscreen);
        if (Window != nullptr) {
            return WindowResult::Opened;
        }
    }
    return WindowResult::CreateFailed;
}

WindowResult CreateCurrentContext() {
    Context = SDL_GL_CreateContext(Window);
    if (Context == nullptr) {
        return WindowResult::NoRenderContext;
    }
    if (SDL_GL_MakeCurrent(Window, Context) != 0) {
        return WindowResult::ContextNotCurrent;
    }
    if (!PixelFormatIsUsable()) {
        return WindowResult::PixelFormatRefused;
    }
    // Wait for the display where the driver can; the main loop paces passes where it cannot.
    SDL_GL_SetSwapInterval(1);
    return WindowResult::Opened;
}

void ShowAndFocus(bool fullscreen) {
    SDL_ShowWindow(Window);
    SDL_RaiseWindow(Window);
    SDL_SetWindowInputFocus(Window);
    if (fullscreen) {
        SDL_ShowCursor(SDL_DISABLE);
        CursorHidden = true;
    }
}

// The steps after the video has started, each undone by ShellCloseWindow on failure.
WindowResult MakeWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                        bool fullscreen) {
    SDL_DisplayMode mode;
    if (fullscreen && !FindFullscreenMode(width, height, bits, &mode)) {
        return WindowResult::ModeRefused;
    }
    WindowResult result = CreateWindowWithFormat(title, width, height, fullscreen);
    if (result != WindowResult::Opened) {
        return result;
    }
    ModeChanged = fullscreen;
    if (fullscreen && SDL_SetWindowDisplayMode(Window, &mode) != 0) {
        return WindowResult::ModeRefused;
    }
    SetWindowIconFromResources(Window);
    result = CreateCurrentContext();
    if (result != WindowResult::Opened) {
        return result;
    }
    ShowAndFocus(fullscreen);
    if (fullscreen && !FullscreenModeApplied(width, height)) {
        return WindowResult::ModeRefused;
    }
    return WindowResult::Opened;
}

} // namespace

WindowResult ShellOpenWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                             bool fullscreen) {
    WindowResult result = StartVideo();
    if (result != WindowResult::Opened) {
        return result;
    }
    result = MakeWindow(title, width, height, bits, fullscreen);
    if (result != WindowResult::Opened) {
        ShellCloseWindow();
    }
    return result;
}

void ShellCloseWindow() {
    if (Window != nullptr && ModeChanged) {
        // Back to the desktop's mode before anything else, so any box below shows on it.
        SDL_SetWindowFullscreen(Window, 0);
    }
    ModeChanged = false;
    if (CursorHidden) {
        SDL_ShowCursor(SDL_ENABLE);
        CursorHidden = false;
    }
    if (Context != nullptr) {
        if (SDL_GL_MakeCurrent(Window, nullptr) != 0) {
            ReportCloseFailure(CloseStep::ReleaseContext);
        }
        SDL_GL_DeleteContext(Context);
        Context = nullptr;
    }
    if (Window != nullptr) {
        SDL_DestroyWindow(Window);
        Window = nullptr;
    }
}

void ShellSwapBuffers() {
    if (Window != nullptr) {
        SDL_GL_SwapWindow(Window);
    }
}

int ShellRefreshRate() {
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

uint32_t GameWindowId() {
    return Window != nullptr ? SDL_GetWindowID(Window) : 0;
}
