"""Driving the real kesselfass3d on an X display (normally a private Xvfb from
scripts/with-xvfb.sh): start it in a scratch folder, find its window, type as a person does,
photograph the screen, and wait for it to end. Every wait has a generous deadline.

The tests act on X in two ways, each for what the other does badly:
- XTEST from this very process (ctypes on libXtst): key presses and pointer moves. A player's
  rhythm of eight presses a second needs each event sent in well under its 125 ms, and starting
  a program per event (xdotool) takes up to 200 ms on a busy machine.
- x11_probe (tests/e2e/x11_probe.cpp, Xlib): what a window manager does and what only Xlib's
  structures carry: the close request (a client message), iconifying and restoring (WM_STATE,
  _NET_WM_STATE), the pointer's picture (XFixes) and the keyboard's auto-repeat. Through ctypes
  each would copy XEvent or XFixesCursorImage field by field, unchecked by any compiler.
Looking needs neither: xwininfo and xdpyinfo list windows and the screen, ImageMagick's import
photographs it."""

import ctypes
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time

TITLE = "QUARZMOLCH erlauben sich zu praesentieren: Kesselfass 3D"
# A person's key press lasts ~100 ms and the game reads keys at its next 40 ms tick. The
# sanitizer build draws a frame in ~70 ms on an idle machine and much slower on a busy one, and
# a press whose key-down and key-up both wait out one frame is never seen by a tick (the loop
# takes every waiting event before it draws and ticks again). So the tests hold a key at least
# KEY_HOLD_S and until the screen has been drawn KEY_HOLD_FRAMES times since the key went
# down, at most KEY_HOLD_MAX_S (a question box draws no frames), with the display's
# auto-repeat off so a long hold stays one press.
KEY_HOLD_S = 0.4
KEY_HOLD_FRAMES = 4
KEY_HOLD_MAX_S = 5.0
DEFAULT_NAMES = [b"QUARZMOLCH"] * 10
DEFAULT_LENGTHS = [11.0 - i for i in range(10)]
DEFAULT_TABLE = list(zip(DEFAULT_LENGTHS, DEFAULT_NAMES))


class E2EFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise E2EFailure(message)


def run(args, timeout=30, env=None):
    return subprocess.run(args, capture_output=True, text=True, timeout=timeout, env=env)


class Game:
    """One run of the game binary in its own scratch folder."""

    def __init__(self, binary, env=None):
        self.binary = binary
        self.folder = tempfile.mkdtemp(prefix="kf_e2e_")
        self.env = dict(os.environ)
        # Mesa and fontconfig keep allocations to the end; leaks are not this test's subject.
        self.env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
        self.env.update(env or {})
        self.process = None
        self.log_path = os.path.join(self.folder, "game.log")

    def path(self, name):
        return os.path.join(self.folder, name)

    def start(self):
        log = open(self.log_path, "wb")
        # A session of its own, so that cleaning up also ends the message-box process that
        # SDL forks while a box is open.
        self.process = subprocess.Popen([self.binary], cwd=self.folder, env=self.env,
                                        stdout=log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        log.close()

    def log(self):
        try:
            with open(self.log_path, "r", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def wait_for_window(self, name=TITLE, timeout=90, other_than=None):
        """Waits for a visible window with that title (and another id than `other_than`)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            check(self.process.poll() is None,
                  f"game ended ({self.process.returncode}) before its window:\n{self.log()}")
            found = [w for w in visible_windows(name) if w != other_than]
            if found:
                return found[0]
            time.sleep(0.2)
        raise E2EFailure(f"no window named {name!r} within {timeout} s:\n{self.log()}")

    def wait_for_picture(self, timeout=120):
        """Waits until the screen shows more than a black window: the first frame."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            check(self.process.poll() is None, f"game ended before drawing:\n{self.log()}")
            if screen_brightness() > 0.05:
                return
            time.sleep(0.5)
        raise E2EFailure(f"nothing drawn within {timeout} s")

    def wait_for_exit(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EFailure(f"game still running after {timeout} s:\n{self.log()}")

    def wait_for_clean_exit(self, timeout=30):
        status = self.wait_for_exit(timeout)
        check(status == 0, f"exit code {status}:\n{self.log()}")

    def running(self):
        return self.thread.is_alive()

    def stop(self):
        if self.process is None:
            return
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()

    def cleanup(self):
        if sys.exc_info()[0] is not None:
            # Failing: keep a picture of the screen while the game is still on it.
            shot = os.path.abspath(os.path.basename(sys.argv[0]).replace(".py", "_failure.png"))
            run(["import", "-window", "root", shot], timeout=60)
            print(f"(screen at the failure: {shot})")
        self.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


def visible_windows(name):
    """Ids of the mapped windows titled exactly `name` (xdotool misses UTF-8 titles)."""
    tree = run(["xwininfo", "-root", "-tree"]).stdout
    ids = re.findall(r'^\s*(0x[0-9a-f]+) "(.*)":', tree, re.MULTILINE)
    return [wid for wid, title in ids if title == name and window_mapped(wid)]


class XTest:
    """Key and pointer events through the XTEST extension, straight from this process."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        check(self.display, "cannot open the display for key and pointer events")
        # Xlib is not thread-safe; a rhythm thread and the test share this connection.
        self.lock = threading.Lock()

    def send(self, key, down):
        """Key down (True) or up (False); `key` is an X keysym name ("a", "Return", "F1")."""
        with self.lock:
            code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(key.encode()))
            check(code != 0, f"no key code for {key!r}")
            self.xtst.XTestFakeKeyEvent(self.display, code, 1 if down else 0, 0)
            # A round trip: the server has handled the event when this returns.
            self.x11.XSync(self.display, 0)

    def move_pointer(self, x, y):
        """Puts the pointer at (x, y) on the screen."""
        with self.lock:
            # Screen -1: the screen the pointer is on.
            self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
            self.x11.XFlush(self.display)


class Frames:
    """Counts the frames drawn on the display through the DAMAGE extension on the root
    window: every buffer swap of the game (Mesa's software rasteriser puts the picture into
    the window) damages the screen, also when the picture stays the same."""

    NON_EMPTY = 3  # XDamageReportNonEmpty: one event, then none until the damage is subtracted

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xdamage = ctypes.CDLL("libXdamage.so.1")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XPending.argtypes = [ctypes.c_void_p]
        self.x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xdamage.XDamageQueryExtension.argtypes = [ctypes.c_void_p,
                                                       ctypes.POINTER(ctypes.c_int),
                                                       ctypes.POINTER(ctypes.c_int)]
        self.xdamage.XDamageCreate.restype = ctypes.c_ulong
        self.xdamage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self.xdamage.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                                 ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        check(self.display, "cannot open the display to count frames")
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        check(self.xdamage.XDamageQueryExtension(self.display, ctypes.byref(event_base),
                                                 ctypes.byref(error_base)),
              "the X server has no DAMAGE extension")
        self.notify = event_base.value  # XDamageNotify is the extension's first event
        self.damage = self.xdamage.XDamageCreate(
            self.display, self.x11.XDefaultRootWindow(self.display), self.NON_EMPTY)
        # An XEvent is 24 longs; only its leading int, the type, is read.
        self.event = ctypes.create_string_buffer(24 * ctypes.sizeof(ctypes.c_long))

    def count(self):
        """The frames drawn since the last call (at least one per damage event)."""
        self.x11.XSync(self.display, 0)
        frames = 0
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, self.event)
            if ctypes.c_int.from_buffer(self.event).value == self.notify:
                frames += 1
                self.xdamage.XDamageSubtract(self.display, self.damage, 0, 0)
        return frames


_FRAMES = None


def frames():
    global _FRAMES
    if _FRAMES is None:
        _FRAMES = Frames()
    return _FRAMES


_XTEST = None


def xtest():
    global _XTEST
    if _XTEST is None:
        _XTEST = XTest()
    return _XTEST


def press(key, hold=KEY_HOLD_S, pause=0.15):
    """Presses and releases one key (an X keysym name), as a person's short press: held at
    least `hold` seconds and until KEY_HOLD_FRAMES frames were drawn after it went down."""
    counter = frames()
    xtest().send(key, True)
    counter.count()  # frames drawn before the server took the key-down do not count
    start = time.monotonic()
    drawn = 0
    while True:
        drawn += counter.count()
        held = time.monotonic() - start
        if (held >= hold and drawn >= KEY_HOLD_FRAMES) or held >= KEY_HOLD_MAX_S:
            break
        time.sleep(0.01)
    xtest().send(key, False)
    time.sleep(pause)


def type_keys(keys):
    """Presses the keys one after the other. Each is held long enough for a tick to see it;
    the pause between them can be short, since a release and the next press reach the game
    in that order, whichever passes of its loop they land in."""
    for key in keys:
        press(key, pause=0.05)


def hold_until(key, condition, what, timeout=60, poll=0.02):
    """Holds `key` down until `condition()` holds, however long a slow pass of the game's loop
    keeps a tick from seeing it (auto-repeat is off, so it stays one press); fails with `what`
    after `timeout` seconds."""
    xtest().send(key, True)
    try:
        deadline = time.monotonic() + timeout
        while not condition():
            check(time.monotonic() < deadline, f"{what} within {timeout} s of pressing {key}")
            time.sleep(poll)
    finally:
        xtest().send(key, False)


def quit_game(game):
    """"Quit game" from the main menu with its cursor on the first line; the game must end
    cleanly."""
    type_keys(["Down"] * 4 + ["Return"])
    game.wait_for_clean_exit()


class Rhythm:
    """Presses the keys in turn at `rate` presses a second in a thread of its own, as a player
    hammers A and L: each key held `hold` seconds, for `duration` seconds or until stopped.
    `act(key, down)` sends one event; the key names are the keyboard's unless another `act` (a
    joystick's) is given."""

    def __init__(self, keys=("a", "l"), rate=8.0, hold=0.1, act=None, duration=None):
        self.keys = keys
        self.duration = duration
        self.period = 1.0 / rate
        self.hold = min(hold, self.period * 0.8)
        self.act = act or (lambda key, down: xtest().send(key, down))
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.presses = 0
        self.seconds = 0.0

    def _run(self):
        start = time.monotonic()
        while not self.stopping.is_set() and (self.duration is None or
                                               self.seconds < self.duration):
            key = self.keys[self.presses % len(self.keys)]
            self.act(key, True)
            time.sleep(self.hold)
            self.act(key, False)
            self.presses += 1
            # Keep the beat against the clock, so slow event sends do not stretch it.
            time.sleep(max(0.0, start + self.presses * self.period - time.monotonic()))
            self.seconds = time.monotonic() - start

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def running(self):
        return self.thread.is_alive()

    def stop(self):
        self.stopping.set()
        if self.thread.is_alive():
            self.thread.join(timeout=10)


class VirtualJoystick:
    """The game's virtual-joystick hook: command lines ("plug", "press 1", "release 2",
    "unplug") through a FIFO in the game's folder, named to the game by KF_VIRTUAL_JOYSTICK.
    Set up before the game starts; commands wait until the game has opened the FIFO."""

    def __init__(self, game):
        self.fifo = game.path("joystick")
        os.mkfifo(self.fifo)
        game.env["KF_VIRTUAL_JOYSTICK"] = self.fifo

    def send(self, line):
        with open(self.fifo, "w") as f:
            f.write(line + "\n")

    def button(self, number, down):
        """Button `number` ("1" to "4") down (True) or up (False)."""
        self.send(("press " if down else "release ") + number)


def screen_brightness():
    """Mean brightness of the whole screen, 0..1."""
    shot = run(["import", "-window", "root", "-colorspace", "gray", "-format", "%[fx:mean]",
                "info:"], timeout=60)
    try:
        return float(shot.stdout.strip())
    except ValueError:
        return 0.0


def move_pointer(x, y, window=None):
    """Puts the pointer at (x, y) on the screen, or in the window's client area if one is
    given."""
    if window is not None:
        left, top, _, _ = window_geometry(window)
        check(left is not None and top is not None, f"no geometry for window {window}")
        x, y = left + x, top + y
    xtest().move_pointer(x, y)


def window_geometry(window):
    """(x, y, width, height) of the window's client area on the screen."""
    out = run(["xwininfo", "-id", window]).stdout
    values = {}
    for line in out.splitlines():
        line = line.strip()
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            if line.startswith(key + ":"):
                values[key] = int(line.split(":")[1])
    return (values.get("Absolute upper-left X"), values.get("Absolute upper-left Y"),
            values.get("Width"), values.get("Height"))


PROBE = None  # the x11_probe helper, set by main()


def cursor_hidden():
    """The pointer (over the game's window unless a test moved it) shows nothing."""
    return run([PROBE, "cursor"]).stdout.strip() == "hidden"


def close_window(window):
    """Asks the window to close, as a window manager's close box does."""
    check(run([PROBE, "close", window]).returncode == 0, "could not send the close request")


def minimize_window(window):
    """Iconifies the window as a window manager does."""
    check(run([PROBE, "minimize", window]).returncode == 0, "could not minimise the window")


def restore_window(window):
    """Maps an iconified window again and gives it the keyboard focus."""
    check(run([PROBE, "restore", window]).returncode == 0, "could not restore the window")


def window_mapped(window):
    return "IsViewable" in run(["xwininfo", "-id", window]).stdout


def wait_until(condition, what, timeout=60):
    deadline = time.monotonic() + timeout
    while not condition():
        check(time.monotonic() < deadline, f"{what} within {timeout} s")
        time.sleep(0.2)


def screen_size():
    out = run(["xdpyinfo"]).stdout
    for line in out.splitlines():
        if "dimensions:" in line:
            w, h = line.split()[1].split("x")
            return int(w), int(h)
    return None


def write_scores(path, rows):
    """Writes a score file: ten rows of (length, name) as the game stores them."""
    image = b"".join(struct.pack("<f", length) + name.ljust(32, b"\0") for length, name in rows)
    # The file is written in text mode: every 0x0A byte is stored as 0x0D 0x0A.
    with open(path, "wb") as f:
        f.write(image.replace(b"\n", b"\r\n"))


def read_scores(path):
    """The ten (length, name) rows of a score file."""
    with open(path, "rb") as f:
        image = f.read().replace(b"\r\n", b"\n")
    check(len(image) == 360, f"scores.dat holds {len(image)} bytes, not 360")
    rows = []
    for i in range(10):
        length = struct.unpack("<f", image[36 * i:36 * i + 4])[0]
        name = image[36 * i + 4:36 * i + 36].split(b"\0")[0]
        rows.append((length, name))
    return rows


def files_left(game, expected=("scores.dat",)):
    """The files in the game's folder besides `expected` and the game's own log: what a save
    left behind."""
    return sorted(set(os.listdir(game.folder)) - set(expected) - {"game.log"})


def lengths_of(rows, name):
    """The lengths of a table's rows that carry `name` (bytes)."""
    return [length for length, row_name in rows if row_name == name]


def main(test):
    """Runs `test(binary)` with argv: the game binary, the x11_probe helper. Prints PASS or
    the failure and sets the exit code."""
    global PROBE
    binary = sys.argv[1]
    PROBE = sys.argv[2]
    try:
        check(run([PROBE, "no-repeat"]).returncode == 0, "cannot reach the display")
        test(binary)
    except E2EFailure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
    print("PASS")
