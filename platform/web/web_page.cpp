// The web shell's side of our own page (page.js defines KesselfassPage): the canvas, the
// Fullscreen API, the boxes and notices shown in the page, and the page's parameters.
#include "platform/shell.h"
#include "platform/web/web_shell.h"

#include <emscripten/emscripten.h>

#include <cstdio>

// clang-format off
EM_JS(void, JsMakeCanvas, (int width, int height, int fixedSize), {
    KesselfassPage.makeCanvas(width, height, fixedSize != 0);
});
EM_JS(void, JsRemoveCanvas, (), { KesselfassPage.removeCanvas(); });
EM_JS(int, JsCanvasWidth, (), { return KesselfassPage.canvasWidth(); });
EM_JS(int, JsCanvasHeight, (), { return KesselfassPage.canvasHeight(); });
EM_JS(void, JsRequestFullscreen, (), { KesselfassPage.requestFullscreen(); });
EM_JS(void, JsExitFullscreen, (), { KesselfassPage.exitFullscreen(); });
EM_JS(int, JsIsFullscreen, (), { return KesselfassPage.isFullscreen() ? 1 : 0; });
EM_JS(int, JsCanGoFullscreen, (), { return KesselfassPage.canGoFullscreen() ? 1 : 0; });
EM_JS(int, JsTakeFullscreenRefusal, (), {
    return KesselfassPage.takeFullscreenRefusal() ? 1 : 0;
});
EM_JS(void, JsShowBox, (const char* caption, const char* text), {
    KesselfassPage.showBox(UTF8ToString(caption), UTF8ToString(text));
});
EM_JS(void, JsShowNotice, (const char* text), {
    KesselfassPage.showNotice(UTF8ToString(text));
});
EM_JS(void, JsShowPlayAgain, (), { KesselfassPage.showPlayAgain(); });
EM_JS(void, JsSetTitle, (const char* title), { document.title = UTF8ToString(title); });
EM_JS(void, JsMarkFirstFrame, (), { KesselfassPage.mark("drawn"); });
// clang-format on

void PageMakeCanvas(int32_t width, int32_t height, bool fixedSize) {
    JsMakeCanvas(width, height, fixedSize ? 1 : 0);
}

void PageRemoveCanvas() {
    JsRemoveCanvas();
}

void PageCanvasSize(int32_t* width, int32_t* height) {
    *width = JsCanvasWidth();
    *height = JsCanvasHeight();
}

void PageRequestFullscreen() {
    JsRequestFullscreen();
}

void PageExitFullscreen() {
    JsExitFullscreen();
}

bool PageIsFullscreen() {
    return JsIsFullscreen() != 0;
}

bool PageCanGoFullscreen() {
    return JsCanGoFullscreen() != 0;
}

bool PageTakeFullscreenRefusal() {
    return JsTakeFullscreenRefusal() != 0;
}

void PageShowBox(const char* caption, const char* text) {
    JsShowBox(caption, text);
}

void PageShowNotice(const char* text) {
    JsShowNotice(text);
}

void PageShowPlayAgain() {
    JsShowPlayAgain();
}

void PageSetTitle(const char* title) {
    JsSetTitle(title);
}

void PageMarkFirstFrame() {
    JsMarkFirstFrame();
}

// A page cannot stop and wait for a click, and every box of the game comes just before the
// program ends or goes on regardless: the box stays in the page and the program goes on. The
// console gets the text too, for whoever looks there.
void ShellShowBox(const char* caption, const char* text, BoxIcon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    PageShowBox(caption, text);
}

// The only question is whether to play in a window when fullscreen is refused, and a page
// always can: a browser's refusal comes later and is taken as that Yes (web_events.cpp).
bool ShellAskYesNo(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s (Yes)\n", caption, text);
    return true;
}
