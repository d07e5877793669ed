// Test helper for the end-to-end tests, doing what xdotool cannot:
//   x11_probe close <window-id>   ask the window to close as a window manager's close box does
//                                 (a WM_DELETE_WINDOW client message)
//   x11_probe cursor              print "hidden" when the pointer shows no visible pixel (a
//                                 fullscreen game hides it), else "visible"
//   x11_probe no-repeat           turn the keyboard's auto-repeat off for the whole display, so
//                                 a test may hold a key as long as a slow machine needs
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int CloseWindow(Display* display, Window window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return sent != 0 ? 0 : 1;
}

int PrintCursorState(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "x11_probe: no XFIXES extension\n");
        return 1;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        return 1;
    }
    bool anyPixel = false;
    const size_t count = static_cast<size_t>(image->width) * image->height;
    for (size_t i = 0; i < count; ++i) {
        // ARGB in the low 32 bits; any alpha means something is drawn.
        if ((image->pixels[i] & 0xFF000000ul) != 0) {
            anyPixel = true;
        }
    }
    XFree(image);
    std::printf("%s\n", anyPixel ? "visible" : "hidden");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    const bool cursor = argc == 2 && std::strcmp(argv[1], "cursor") == 0;
    const bool noRepeat = argc == 2 && std::strcmp(argv[1], "no-repeat") == 0;
    if (!close && !cursor && !noRepeat) {
        std::fprintf(stderr, "usage: x11_probe close <window-id> | cursor | no-repeat\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x11_probe: cannot open the display\n");
        return 1;
    }
    int status = 0;
    if (close) {
        status = CloseWindow(display, std::strtoul(argv[2], nullptr, 0));
    } else if (cursor) {
        status = PrintCursorState(display);
    } else {
        XAutoRepeatOff(display);
        XSync(display, False);
    }
    XCloseDisplay(display);
    return status;
}
