// The game's window in a page: a canvas of its own for every window the program makes (a new
// canvas is a new WebGL context, so each window's textures and lists are made afresh, as on
// the desktop), WebGL 1 with a depth buffer, and the page's fullscreen for a fullscreen window.
#include "platform/shell.h"
#include "platform/web/web_shell.h"
#include "render/render.h"
#include "render/webgl/webgl_layer.h"

#include <emscripten/html5.h>

namespace {

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE Context = 0;
bool CanvasMade = false;
// A shot is drawn at the desktop reference's size, whatever the browser window's.
bool FixedCanvasSize = false;

// No antialiasing and no alpha, as the desktop's pixel format; the drawing buffer kept after
// a frame is shown, so that the page's pixels can be read back (the tests compare them).
EmscriptenWebGLContextAttributes ContextAttributes() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    return attributes;
}

WindowResult MakeContext() {
    const EmscriptenWebGLContextAttributes attributes = ContextAttributes();
    Context = emscripten_webgl_create_context("#canvas", &attributes);
    if (Context <= 0) {
        Context = 0;
        return WindowResult::NoRenderContext;
    }
    if (emscripten_webgl_make_context_current(Context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return WindowResult::ContextNotCurrent;
    }
    if (!StartWebGlLayer()) {
        return WindowResult::NoRenderContext;
    }
    return WindowResult::Opened;
}

} // namespace

void UseFixedCanvasSize() {
    FixedCanvasSize = true;
}

WindowResult ShellOpenWindow(const char* title, int32_t width, int32_t height, int32_t,
                             bool fullscreen) {
    PageSetTitle(title);
    // A phone held upright shows the whole width of the picture, not a slice of its middle.
    KeepFourByThreeWidth(true);
    PageMakeCanvas(width, height, FixedCanvasSize);
    CanvasMade = true;
    const WindowResult result = MakeContext();
    if (result != WindowResult::Opened) {
        ShellCloseWindow();
        return result;
    }
    // The browser decides later; a refusal leaves the page as it is (web_events.cpp).
    if (fullscreen) {
        PageRequestFullscreen();
    } else if (PageIsFullscreen()) {
        PageExitFullscreen();
    }
    // The canvas's size is the browser window's, not the size asked for: the first pass
    // sets the view to it, as a desktop window's first size message does.
    QueueCanvasResize();
    return WindowResult::Opened;
}

void ShellCloseWindow() {
    StopWebGlLayer();
    if (Context != 0) {
        emscripten_webgl_make_context_current(0);
        if (emscripten_webgl_destroy_context(Context) != EMSCRIPTEN_RESULT_SUCCESS) {
            ReportCloseFailure(CloseStep::DeleteContext);
        }
        Context = 0;
    }
    if (CanvasMade) {
        PageRemoveCanvas();
        CanvasMade = false;
    }
}

void ShellSwapBuffers() {
    // The browser shows the canvas when the frame callback returns; what is drawn must be in.
    FlushWebGl();
}

// The browser's frame callback keeps to the display's rate by itself.
int ShellRefreshRate() {
    return 0;
}
