// Test helper for the end-to-end tests, for what needs Xlib's own structures (kf_e2e.py says
// why the keys and the pointer go another way):
//   x11_probe close <window-id>   ask the window to close as a window manager's close box does
//                                 (a WM_DELETE_WINDOW client message)
//   x11_probe cursor              print "hidden" when the pointer shows no visible pixel (a
//                                 fullscreen game hides it), else "visible"
//   x11_probe no-repeat           turn the keyboard's auto-repeat off for the whole display, so
//                                 a test may hold a key as long as a slow machine needs
//   x11_probe minimize <window-id> iconify the window as a window manager does (Xvfb has none)
//   x11_probe restore <window-id>  bring an iconified window back
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <vector>

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

// The atoms of the window's _NET_WM_STATE property (empty when it has none).
std::vector<Atom> NetWmState(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr) {
        if (type == XA_ATOM && format == 32) {
            const long* values = reinterpret_cast<const long*>(data);
            atoms.assign(values, values + count);
        }
        XFree(data);
    }
    return atoms;
}

// The two properties through which a window manager tells a client that it is iconified:
// WM_STATE (Iconic or Normal) and the _NET_WM_STATE_HIDDEN atom in _NET_WM_STATE.
void SetIconicProperties(Display* display, Window window, bool iconic) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const long wmStateValue[2] = {iconic ? IconicState : NormalState, None};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(wmStateValue), 2);

    const Atom netWmState = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom hidden = XInternAtom(display, "_NET_WM_STATE_HIDDEN", False);
    std::vector<long> atoms;
    for (Atom atom : NetWmState(display, window, netWmState)) {
        if (atom != hidden) {
            atoms.push_back(static_cast<long>(atom));
        }
    }
    if (iconic) {
        atoms.push_back(static_cast<long>(hidden));
    }
    XChangeProperty(display, window, netWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
}

// Minimising as a window manager does it: the properties, then the unmap. SDL's X11 backend
// reports SDL_WINDOWEVENT_MINIMIZED from either of them.
int Minimize(Display* display, Window window) {
    SetIconicProperties(display, window, true);
    XUnmapWindow(display, window);
    XSync(display, False);
    return 0;
}

// Restoring: the properties, the map, and the keyboard focus, which the unmap took away and a
// window manager gives back once the window shows again (focus on an unviewable window is an
// error, hence the wait for the map).
int Restore(Display* display, Window window) {
    SetIconicProperties(display, window, false);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) != 0 &&
        attributes.map_state != IsViewable) {
        XSelectInput(display, window, StructureNotifyMask);
        XMapRaised(display, window);
        XEvent event;
        do {
            XWindowEvent(display, window, StructureNotifyMask, &event);
        } while (event.type != MapNotify);
    }
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    const bool cursor = argc == 2 && std::strcmp(argv[1], "cursor") == 0;
    const bool noRepeat = argc == 2 && std::strcmp(argv[1], "no-repeat") == 0;
    const bool minimize = argc == 3 && std::strcmp(argv[1], "minimize") == 0;
    const bool restore = argc == 3 && std::strcmp(argv[1], "restore") == 0;
    if (!close && !cursor && !noRepeat && !minimize && !restore) {
        std::fprintf(stderr, "usage: x11_probe close <window-id> | cursor | no-repeat | "
                             "minimize <window-id> | restore <window-id>\n");
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
    } else if (minimize) {
        status = Minimize(display, std::strtoul(argv[2], nullptr, 0));
    } else if (restore) {
        status = Restore(display, std::strtoul(argv[2], nullptr, 0));
    } else {
        XAutoRepeatOff(display);
        XSync(display, False);
    }
    XCloseDisplay(display);
    return status;
}
