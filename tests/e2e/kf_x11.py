"""Xlib through ctypes for the end-to-end tests: the few calls and structures they need to act
on the display as a person and a window manager do, and to watch what the game's windows do.
Window ids are plain ints. An X error (a window that went away between two calls) is recorded,
never fatal: each call that can meet one reports failure by its result."""

import ctypes
import threading
from ctypes import POINTER, Structure, Union, byref, c_char_p, c_int, c_long, c_short
from ctypes import c_ubyte, c_uint, c_ulong, c_ushort, c_void_p

# Event types and masks of X.h.
UNMAP_NOTIFY = 18
MAP_NOTIFY = 19
DESTROY_NOTIFY = 17
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
IS_VIEWABLE = 2
Z_PIXMAP = 2
PROP_MODE_REPLACE = 0
XA_ATOM = 4
ICONIC_STATE = 3
NORMAL_STATE = 1
REVERT_TO_POINTER_ROOT = 1
DAMAGE_REPORT_NON_EMPTY = 3  # one event, then none until the damage is subtracted


class XStructureEvent(Structure):
    """The common head of MapNotify, UnmapNotify and DestroyNotify."""
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("event", c_ulong), ("window", c_ulong)]


class XClientMessageEvent(Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                ("format", c_int), ("data", c_long * 5)]


class XEvent(Union):
    _fields_ = [("type", c_int), ("structure", XStructureEvent),
                ("client", XClientMessageEvent), ("pad", c_long * 24)]


class XWindowAttributes(Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int),
                ("border_width", c_int), ("depth", c_int), ("visual", c_void_p),
                ("root", c_ulong), ("class_", c_int), ("bit_gravity", c_int),
                ("win_gravity", c_int), ("backing_store", c_int), ("backing_planes", c_ulong),
                ("backing_pixel", c_ulong), ("save_under", c_int), ("colormap", c_ulong),
                ("map_installed", c_int), ("map_state", c_int), ("all_event_masks", c_long),
                ("your_event_mask", c_long), ("do_not_propagate_mask", c_long),
                ("override_redirect", c_int), ("screen", c_void_p)]


class XImage(Structure):
    """The leading fields of an XImage, up to its functions (of which only destroy is used)."""
    _fields_ = [("width", c_int), ("height", c_int), ("xoffset", c_int), ("format", c_int),
                ("data", c_void_p), ("byte_order", c_int), ("bitmap_unit", c_int),
                ("bitmap_bit_order", c_int), ("bitmap_pad", c_int), ("depth", c_int),
                ("bytes_per_line", c_int), ("bits_per_pixel", c_int), ("red_mask", c_ulong),
                ("green_mask", c_ulong), ("blue_mask", c_ulong), ("obdata", c_void_p),
                ("create_image", c_void_p), ("destroy_image", ctypes.CFUNCTYPE(c_int, c_void_p))]


class XFixesCursorImage(Structure):
    _fields_ = [("x", c_short), ("y", c_short), ("width", c_ushort), ("height", c_ushort),
                ("xhot", c_ushort), ("yhot", c_ushort), ("cursor_serial", c_ulong),
                ("pixels", POINTER(c_ulong)), ("atom", c_ulong), ("name", c_char_p)]


def _prototypes(library, table):
    for name, restype, argtypes in table:
        function = getattr(library, name)
        function.restype = restype
        function.argtypes = argtypes


_X11 = ctypes.CDLL("libX11.so.6")
_XTST = ctypes.CDLL("libXtst.so.6")
_XDAMAGE = ctypes.CDLL("libXdamage.so.1")
_XFIXES = ctypes.CDLL("libXfixes.so.3")
_D, _W = c_void_p, c_ulong
_prototypes(_X11, [
    ("XOpenDisplay", c_void_p, [c_char_p]),
    ("XDefaultRootWindow", _W, [_D]),
    ("XSync", c_int, [_D, c_int]),
    ("XFlush", c_int, [_D]),
    ("XPending", c_int, [_D]),
    ("XNextEvent", c_int, [_D, POINTER(XEvent)]),
    ("XSelectInput", c_int, [_D, _W, c_long]),
    ("XFree", c_int, [c_void_p]),
    ("XStringToKeysym", c_ulong, [c_char_p]),
    ("XKeysymToKeycode", c_ubyte, [_D, c_ulong]),
    ("XAutoRepeatOff", c_int, [_D]),
    ("XInternAtom", c_ulong, [_D, c_char_p, c_int]),
    ("XQueryTree", c_int, [_D, _W, POINTER(_W), POINTER(_W), POINTER(POINTER(_W)),
                           POINTER(c_uint)]),
    ("XGetWindowAttributes", c_int, [_D, _W, POINTER(XWindowAttributes)]),
    ("XTranslateCoordinates", c_int, [_D, _W, _W, c_int, c_int, POINTER(c_int),
                                      POINTER(c_int), POINTER(_W)]),
    ("XGetWindowProperty", c_int, [_D, _W, c_ulong, c_long, c_long, c_int, c_ulong,
                                   POINTER(c_ulong), POINTER(c_int), POINTER(c_ulong),
                                   POINTER(c_ulong), POINTER(c_void_p)]),
    ("XChangeProperty", c_int, [_D, _W, c_ulong, c_ulong, c_int, c_int, c_void_p, c_int]),
    ("XSendEvent", c_int, [_D, _W, c_int, c_long, POINTER(XEvent)]),
    ("XUnmapWindow", c_int, [_D, _W]),
    ("XMapRaised", c_int, [_D, _W]),
    ("XSetInputFocus", c_int, [_D, _W, c_int, c_ulong]),
    ("XGetImage", POINTER(XImage), [_D, _W, c_int, c_int, c_uint, c_uint, c_ulong, c_int]),
])
_prototypes(_XTST, [
    ("XTestFakeKeyEvent", c_int, [_D, c_uint, c_int, c_ulong]),
    ("XTestFakeMotionEvent", c_int, [_D, c_int, c_int, c_int, c_ulong]),
])
_prototypes(_XDAMAGE, [
    ("XDamageQueryExtension", c_int, [_D, POINTER(c_int), POINTER(c_int)]),
    ("XDamageCreate", c_ulong, [_D, _W, c_int]),
    ("XDamageSubtract", None, [_D, c_ulong, c_ulong, c_ulong]),
])
_prototypes(_XFIXES, [
    ("XFixesQueryExtension", c_int, [_D, POINTER(c_int), POINTER(c_int)]),
    ("XFixesGetCursorImage", POINTER(XFixesCursorImage), [_D]),
])

# Xlib's default handler ends the process on any error; a test meets BadWindow whenever a
# window it looks at closes under it, which only means "gone".
_ERROR_HANDLER_TYPE = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)
_ERROR_HANDLER = _ERROR_HANDLER_TYPE(lambda display, error: 0)
_X11.XSetErrorHandler.restype = c_void_p
_X11.XSetErrorHandler.argtypes = [_ERROR_HANDLER_TYPE]
_X11.XSetErrorHandler(_ERROR_HANDLER)


class Connection:
    """One connection to the display of $DISPLAY. Its calls hold a lock: Xlib is not
    thread-safe, and a rhythm thread sends keys while the test looks at windows."""

    def __init__(self):
        self.display = _X11.XOpenDisplay(None)
        if not self.display:
            raise OSError("cannot open the X display")
        self.root = _X11.XDefaultRootWindow(self.display)
        self.lock = threading.RLock()

    def atom(self, name):
        return _X11.XInternAtom(self.display, name.encode(), 0)

    def key(self, keysym, down):
        """Sends a key down (True) or up (False); returns False for a keysym with no key."""
        with self.lock:
            code = _X11.XKeysymToKeycode(self.display, _X11.XStringToKeysym(keysym.encode()))
            if code == 0:
                return False
            _XTST.XTestFakeKeyEvent(self.display, code, int(down), 0)
            # A round trip: the server has handled the event when this returns.
            _X11.XSync(self.display, 0)
            return True

    def move_pointer(self, x, y):
        with self.lock:
            # Screen -1: the screen the pointer is on.
            _XTST.XTestFakeMotionEvent(self.display, -1, x, y, 0)
            _X11.XSync(self.display, 0)

    def auto_repeat_off(self):
        with self.lock:
            _X11.XAutoRepeatOff(self.display)
            _X11.XSync(self.display, 0)

    def property(self, window, name, kind):
        """The window's property `name` of type `kind` (atom) as bytes (format 8) or a list of
        ints (format 32); None when it has none or is gone."""
        actual, format_, count, after = c_ulong(), c_int(), c_ulong(), c_ulong()
        data = c_void_p()
        with self.lock:
            if _X11.XGetWindowProperty(self.display, window, self.atom(name), 0, 1 << 16, 0,
                                       kind, byref(actual), byref(format_), byref(count),
                                       byref(after), byref(data)) != 0 or not data:
                return None
            try:
                if actual.value != kind:
                    return None
                if format_.value == 32:
                    return list((c_long * count.value).from_address(data.value))
                return ctypes.string_at(data, count.value)
            finally:
                _X11.XFree(data)

    def title(self, window):
        """The window's title: the UTF-8 _NET_WM_NAME, else the Latin-1 WM_NAME."""
        name = self.property(window, "_NET_WM_NAME", self.atom("UTF8_STRING"))
        if name is not None:
            return name.decode("utf-8", "replace")
        name = self.property(window, "WM_NAME", 31)  # XA_STRING
        return name.decode("latin-1") if name is not None else None

    def children(self, window):
        root, parent, children, count = _W(), _W(), POINTER(_W)(), c_uint()
        with self.lock:
            if not _X11.XQueryTree(self.display, window, byref(root), byref(parent),
                                   byref(children), byref(count)):
                return []
            found = [children[i] for i in range(count.value)]
            if children:
                _X11.XFree(children)
            return found

    def all_windows(self, window=None):
        window = self.root if window is None else window
        found = []
        for child in self.children(window):
            found.append(child)
            found.extend(self.all_windows(child))
        return found

    def attributes(self, window):
        attributes = XWindowAttributes()
        with self.lock:
            if not _X11.XGetWindowAttributes(self.display, window, byref(attributes)):
                return None
        return attributes

    def viewable(self, window):
        attributes = self.attributes(window)
        return attributes is not None and attributes.map_state == IS_VIEWABLE

    def geometry(self, window):
        """(x, y, width, height) of the window on the screen; None when it is gone."""
        attributes = self.attributes(window)
        x, y, child = c_int(), c_int(), _W()
        with self.lock:
            if attributes is None or not _X11.XTranslateCoordinates(
                    self.display, window, self.root, 0, 0, byref(x), byref(y), byref(child)):
                return None
        return x.value, y.value, attributes.width, attributes.height

    def screen_size(self):
        """The root window's size as the server has it now (a mode change alters it)."""
        attributes = self.attributes(self.root)
        return attributes.width, attributes.height

    def brightness(self):
        """Mean of the screen's red, green and blue values, 0..1."""
        width, height = self.screen_size()
        with self.lock:
            image = _X11.XGetImage(self.display, self.root, 0, 0, width, height, ~0, Z_PIXMAP)
            if not image:
                return 0.0
            try:
                picture = image.contents
                if picture.bits_per_pixel != 32 or picture.bytes_per_line != 4 * width:
                    raise OSError(f"unexpected screen format: {picture.bits_per_pixel} bits")
                pixels = ctypes.string_at(picture.data, 4 * width * height)
            finally:
                image.contents.destroy_image(ctypes.cast(image, c_void_p))
        # Three colour bytes and a pad byte per pixel, whichever order the colours come in.
        colour = sum(pixels) - sum(pixels[3::4])
        return colour / (3 * 255 * width * height)

    def cursor_hidden(self):
        """Whether the pointer's picture has no pixel that shows (any alpha)."""
        base, error = c_int(), c_int()
        with self.lock:
            if not _XFIXES.XFixesQueryExtension(self.display, byref(base), byref(error)):
                raise OSError("the X server has no XFIXES extension")
            image = _XFIXES.XFixesGetCursorImage(self.display)
            if not image:
                raise OSError("XFixesGetCursorImage failed")
            try:
                cursor = image.contents
                pixels = cursor.pixels[:cursor.width * cursor.height]
            finally:
                _X11.XFree(image)
        return not any(pixel & 0xFF000000 for pixel in pixels)

    def close(self, window):
        """Asks the window to close as a window manager's close box does (WM_DELETE_WINDOW)."""
        event = XEvent()
        event.client.type = 33  # ClientMessage
        event.client.window = window
        event.client.message_type = self.atom("WM_PROTOCOLS")
        event.client.format = 32
        event.client.data[0] = self.atom("WM_DELETE_WINDOW")
        with self.lock:
            sent = _X11.XSendEvent(self.display, window, 0, 0, byref(event))
            _X11.XSync(self.display, 0)
        return sent != 0

    def set_iconic(self, window, iconic):
        """The two properties through which a window manager tells a client it is iconified:
        WM_STATE and the _NET_WM_STATE_HIDDEN atom in _NET_WM_STATE."""
        wm_state = self.atom("WM_STATE")
        state = (c_long * 2)(ICONIC_STATE if iconic else NORMAL_STATE, 0)
        hidden = self.atom("_NET_WM_STATE_HIDDEN")
        atoms = [a for a in self.property(window, "_NET_WM_STATE", XA_ATOM) or [] if a != hidden]
        atoms += [hidden] if iconic else []
        with self.lock:
            _X11.XChangeProperty(self.display, window, wm_state, wm_state, 32, PROP_MODE_REPLACE,
                                 state, 2)
            _X11.XChangeProperty(self.display, window, self.atom("_NET_WM_STATE"), XA_ATOM, 32,
                                 PROP_MODE_REPLACE, (c_long * len(atoms))(*atoms), len(atoms))
            _X11.XSync(self.display, 0)

    def unmap(self, window):
        with self.lock:
            _X11.XUnmapWindow(self.display, window)
            _X11.XSync(self.display, 0)

    def map_raised(self, window):
        with self.lock:
            _X11.XMapRaised(self.display, window)
            _X11.XSync(self.display, 0)

    def focus(self, window):
        with self.lock:
            _X11.XSetInputFocus(self.display, window, REVERT_TO_POINTER_ROOT, 0)
            _X11.XSync(self.display, 0)


class Watcher(Connection):
    """A connection that only listens: X queues for it every map, unmap and destroy of a
    window on the root (SubstructureNotify) and the damage of every frame drawn on the screen
    (DAMAGE on the root window; each buffer swap of Mesa's software rasteriser puts the picture
    into the window, also when it stays the same). Read in order whenever the test looks, so no
    event is missed however slow the test is."""

    def __init__(self):
        super().__init__()
        base, error = c_int(), c_int()
        if not _XDAMAGE.XDamageQueryExtension(self.display, byref(base), byref(error)):
            raise OSError("the X server has no DAMAGE extension")
        self.damage_notify = base.value  # XDamageNotify is the extension's first event
        _X11.XSelectInput(self.display, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        self.damage = _XDAMAGE.XDamageCreate(self.display, self.root, DAMAGE_REPORT_NON_EMPTY)
        _X11.XSync(self.display, 0)
        self.frames = 0
        self.windows = []  # (event type, window id) in the order X reported them
        self.event = XEvent()

    def read(self):
        """Takes every event the server has sent so far."""
        with self.lock:
            _X11.XSync(self.display, 0)
            while _X11.XPending(self.display):
                _X11.XNextEvent(self.display, byref(self.event))
                kind = self.event.type
                if kind == self.damage_notify:
                    self.frames += 1
                    _XDAMAGE.XDamageSubtract(self.display, self.damage, 0, 0)
                elif kind in (MAP_NOTIFY, UNMAP_NOTIFY, DESTROY_NOTIFY):
                    self.windows.append((kind, self.event.structure.window))
