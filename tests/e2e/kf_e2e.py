"""Driving the real game on an X display (normally a private Xvfb from scripts/with-xvfb.sh):
start it in a scratch folder, find its window, type as a person does, watch its windows come
and go, and wait for it to end. Every wait has a generous deadline.

A scenario runs against the Linux game or, given a `.exe`, against the Windows game under
Wine (in the prefix that WINEPREFIX names), or, given --browser PAGE_DIR, against the web page
in headless chromium (kf_page.py; the page's folder as `make web` builds it); `WINE` and
`BROWSER` tell the scenario which, for the few expectations in which they differ. Command line
of every scenario:
    <scenario>_test.py [--scores FILE] GAME [ARG...]
    <scenario>_test.py --browser PAGE_DIR
GAME is the program to start (a path, or a command on PATH such as the installed launcher);
--scores names where it saves its table when that is not the folder it starts in.

The tests reach X one way for each purpose:
- Acting and watching: Xlib itself through ctypes (kf_x11.py), on connections kept open for
  the whole test. Keys and the pointer go through XTEST: a player's eight presses a second need
  each event sent in well under its 125 ms, which a program started per event cannot promise on
  a busy machine. A window manager's acts (the close request, iconifying, restoring) and what
  the tests look up (windows and titles, geometry, the screen's size and brightness, the
  pointer's picture) are plain requests. Frames and the coming and going of windows are events
  that X queues for a listening connection (DAMAGE, SubstructureNotify on the root window), so
  a test reads every one of them in order however slowly it polls: a window closed and opened
  again between two looks cannot slip by.
- Pictures to read text from and to keep for a person: ImageMagick's import (kf_screen.py).
An earlier C++ helper did the window manager's acts and read the pointer's picture, because
Xlib's structures are awkward from Python. Waiting on window events made reading XEvent from
Python necessary all the same, and once that is done the rest is a handful of small structures
whose layout X11 has kept since R6, each exercised by the tests that use it; the helper cost a
build, a process per call (slow on a busy machine) and a binary to carry to a machine that
only has the installed game."""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time

import kf_x11

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

GAME = None    # the command that starts the game, set by main()
SCORES = None  # where the game saves its table when not in its folder (--scores)
WINE = False   # whether GAME is the Windows game, run under Wine
BROWSER = None  # the web page's folder, when the game under test is the page
PAGE = None     # the page game being played (kf_page.PageGame), when BROWSER is set



def read_log(path):
    """What a process has written to its log so far; empty when there is no log yet."""
    try:
        with open(path, "r", errors="replace") as f:
            return f.read()
    except OSError:
        return ""

class E2EFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise E2EFailure(message)


def run(args, timeout=30, env=None):
    return subprocess.run(args, capture_output=True, text=True, timeout=timeout, env=env)


_DISPLAYS = {}


def display():
    """The connection through which the tests act and look."""
    if "act" not in _DISPLAYS:
        _DISPLAYS["act"] = kf_x11.Connection()
    return _DISPLAYS["act"]


def watcher():
    """The connection that queues frames and window events (kf_x11.Watcher)."""
    if "watch" not in _DISPLAYS:
        _DISPLAYS["watch"] = kf_x11.Watcher()
    return _DISPLAYS["watch"]


def end_wineserver(env=None):
    """Ends the prefix's wineserver (the prefix of `env`, or of this process) with every
    Windows process in it, and waits for that."""
    run(["wineserver", "-k"], timeout=60, env=env)
    run(["wineserver", "-w"], timeout=60, env=env)


class Game:
    """One run of the game in its own scratch folder (for Wine, its Z: drive). For the web
    page, a kf_page.PageGame, which has the same interface."""

    def __new__(cls, *args, **kwargs):
        if cls is Game and BROWSER:
            import kf_page
            return kf_page.PageGame(*args, **kwargs)
        return super().__new__(cls)

    def __init__(self, command=None, env=None):
        self.command = list(command or GAME)
        self.folder = tempfile.mkdtemp(prefix="kf_e2e_")
        self.scores = SCORES or self.path("scores.dat")
        self.env = dict(os.environ)
        # Mesa and fontconfig keep allocations to the end; leaks are not this test's subject.
        self.env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
        self.env.update(env or {})
        if WINE:
            for name in ("WINEPREFIX", "WINEDEBUG"):
                check(name in self.env, f"{name} is not set (run through ctest)")
        self.process = None
        self.log_path = os.path.join(self.folder, "game.log")

    def path(self, name):
        return os.path.join(self.folder, name)

    def start(self):
        if WINE:
            # A wineserver left from an earlier game or suite may be tied to another display.
            end_wineserver(self.env)
        log = open(self.log_path, "wb")
        # A session of its own, so that cleaning up also ends the message-box process that
        # SDL forks while a box is open.
        self.process = subprocess.Popen((["wine"] if WINE else []) + self.command,
                                        cwd=self.folder, env=self.env, stdout=log,
                                        stderr=subprocess.STDOUT, start_new_session=True)
        log.close()

    def log(self):
        return read_log(self.log_path)

    def check_running(self, what):
        check(self.process.poll() is None,
              f"the game ended ({self.process.returncode}) {what}:\n{self.log()}")

    def wait_for_window(self, name=TITLE, timeout=90):
        """Waits for a visible window with that title (one that stays once it shows)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.check_running(f"before a window named {name!r}")
            found = visible_windows(name)
            if found:
                return found[0]
            time.sleep(0.2)
        raise E2EFailure(f"no window named {name!r} within {timeout} s:\n{self.log()}")

    def wait_for_picture(self, timeout=120):
        """Waits until the screen shows more than a black window: the first frame."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.check_running("before drawing")
            if display().brightness() > 0.05:
                return
            time.sleep(0.5)
        raise E2EFailure(f"nothing drawn within {timeout} s")

    def wait_for_exit(self, timeout=60):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EFailure(f"game still running after {timeout} s:\n{self.log()}")

    def wait_for_clean_exit(self, timeout=60):
        status = self.wait_for_exit(timeout)
        check(status == 0, f"exit code {status}:\n{self.log()}")

    def stop(self):
        if self.process is not None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()
        if WINE:
            end_wineserver(self.env)

    def cleanup(self):
        if sys.exc_info()[0] is not None and shutil.which("import"):
            # Failing: keep a picture of the screen while the game is still on it.
            shot = os.path.abspath(os.path.basename(sys.argv[0]).replace(".py", "_failure.png"))
            run(["import", "-window", "root", shot], timeout=60)
            print(f"(screen at the failure: {shot})")
        self.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


def visible_windows(name):
    """Ids of the mapped windows titled exactly `name`."""
    x = display()
    return [w for w in x.all_windows() if x.title(w) == name and x.viewable(w)]


def switch_mode(game, old_window, what):
    """Presses F1 and returns the game's new window once the game has drawn in it. F1 is held
    until X has reported the old window unmapped; the new one is the next window of the game
    mapped after that (X may give it the old one's id). Both are read from the events X
    queued since before the press, so the moment between the two windows cannot be missed.
    In the page, F1 is held until the page has entered or left fullscreen."""
    if BROWSER:
        return _switch_page_mode(game, what)
    events = watcher()
    events.read()
    seen = len(events.windows)

    def old_gone():
        game.check_running(f"while F1 was held ({what})")
        events.read()
        return any(window == old_window and kind != kf_x11.MAP_NOTIFY
                   for kind, window in events.windows[seen:])

    hold_until("F1", old_gone, f"the window before {what} did not close")
    deadline = time.monotonic() + 90
    while True:
        game.check_running(f"after F1 ({what})")
        events.read()
        window = _last_mapped(events.windows[seen:], old_window)
        if window is not None:
            break
        check(time.monotonic() < deadline, f"no new window within 90 s after {what}")
        time.sleep(0.2)
    game.wait_for_picture()
    return window


def _last_mapped(window_events, old_window):
    """The game's window mapped after `old_window` went and not unmapped since, if any."""
    events = list(window_events)
    gone = next(i for i, (kind, w) in enumerate(events)
                if w == old_window and kind != kf_x11.MAP_NOTIFY)
    shown = {}
    for kind, window in events[gone + 1:]:
        shown[window] = kind == kf_x11.MAP_NOTIFY
    for window, mapped in shown.items():
        if mapped and display().title(window) == TITLE and display().viewable(window):
            return window
    return None


def _switch_page_mode(game, what):
    before = PAGE.browser.is_fullscreen()
    hold_until("F1", lambda: game.check_running(f"while F1 was held ({what})") or
               PAGE.browser.is_fullscreen() != before,
               f"the page did not {'leave' if before else 'enter'} fullscreen after {what}")
    frames = drawn_frames()
    wait_until(lambda: drawn_frames() > frames + KEY_HOLD_FRAMES,
               f"no frames drawn after {what}")
    return "canvas"


def send_key(key, down):
    """Key down (True) or up (False); `key` is an X keysym name ("a", "Return", "F1")."""
    if BROWSER:
        PAGE.browser.key(key, down)
        return
    check(display().key(key, down), f"no key code for {key!r}")


def drawn_frames():
    """How many frames the game has drawn so far (in the page: frame callbacks run)."""
    if BROWSER:
        return PAGE.browser.frames()
    frames = watcher()
    frames.read()
    return frames.frames


def screenshot(path):
    """Photographs the game's picture (the display; in the page, its canvas) into `path`."""
    if BROWSER:
        return PAGE.shoot(path)
    return run(["import", "-window", "root", path], timeout=60).returncode == 0


def press(key, hold=KEY_HOLD_S, pause=0.15, act=send_key, frames=KEY_HOLD_FRAMES):
    """Presses and releases one key (an X keysym name) or, through `act`, a joystick button,
    as a person's short press: held at least `hold` seconds and until `frames` frames were
    drawn after it went down."""
    act(key, True)
    # Frames drawn before the key-down was taken do not count.
    first = drawn_frames()
    start = time.monotonic()
    while True:
        drawn = drawn_frames() - first
        held = time.monotonic() - start
        if (held >= hold and drawn >= frames) or held >= KEY_HOLD_MAX_S:
            break
        time.sleep(0.01)
    act(key, False)
    time.sleep(pause)


def wait_for_frames(count, timeout=KEY_HOLD_MAX_S):
    """Waits until the game has drawn `count` more frames (at most `timeout` seconds)."""
    first = drawn_frames()
    deadline = time.monotonic() + timeout
    while drawn_frames() - first < count and time.monotonic() < deadline:
        time.sleep(0.01)


def type_keys(keys):
    """Presses the keys one after the other. Each is held long enough for a tick to see it;
    the pause between them can be short, since a release and the next press reach the game
    in that order, whichever passes of its loop they land in."""
    for key in keys:
        press(key, pause=0.05)


def hold_until(key, condition, what, timeout=60, poll=0.02):
    """Holds `key` down until `condition()` holds, however long a slow pass of the game's loop
    keeps a tick from seeing it (auto-repeat is off, so it stays one press); fails with `what`
    after `timeout` seconds. `condition` must be one that stays true once it holds."""
    send_key(key, True)
    try:
        deadline = time.monotonic() + timeout
        while not condition():
            check(time.monotonic() < deadline, f"{what} within {timeout} s of pressing {key}")
            time.sleep(poll)
    finally:
        send_key(key, False)


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

    def __init__(self, keys=("a", "l"), rate=8.0, hold=0.1, act=send_key, duration=None):
        self.keys = keys
        self.duration = duration
        self.period = 1.0 / rate
        self.hold = min(hold, self.period * 0.8)
        self.act = act
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

    def press_in_turn(self, presses):
        """Buttons 1 and 2 pressed in turn as a player pumps, each held as a key is (press)."""
        for i in range(presses):
            press("12"[i % 2], pause=0.1, act=self.button)


def move_pointer(x, y, window=None):
    """Puts the pointer at (x, y) on the screen, or in the window's client area if one is
    given."""
    if window is not None:
        geometry = window_geometry(window)
        check(geometry is not None, f"no geometry for window {window:#x}")
        x, y = geometry[0] + x, geometry[1] + y
    display().move_pointer(x, y)


def window_geometry(window):
    """(x, y, width, height) of the window's client area on the screen."""
    return display().geometry(window)


def framed_at_corner(geometry, screen):
    """Whether a Windows window's client area (x, y, width, height) is that of an overlapping
    window made at the desktop's top-left corner: offset by the frame and the caption,
    1024x768 or as large as the system lets a window grow on this screen."""
    x, y, width, height = geometry
    return (0 < x <= 16 and 0 < y <= 48 and width >= min(1024, screen[0]) and
            height >= min(768, screen[1]) - 48)


def cursor_hidden():
    """The pointer (over the game's window unless a test moved it) shows nothing."""
    return display().cursor_hidden()


def close_window(window):
    """Asks the window to close, as a window manager's close box does; the page is closed."""
    if BROWSER:
        PAGE.close()
        return
    check(display().close(window), "could not send the close request")


def minimize_window(window):
    """Iconifies the window as a window manager does: the properties, then the unmap. SDL's
    X11 backend reports SDL_WINDOWEVENT_MINIMIZED from either."""
    display().set_iconic(window, True)
    display().unmap(window)


def restore_window(window):
    """Maps an iconified window again and gives it the keyboard focus, which the unmap took
    away and a window manager gives back once the window shows (focus on an unviewable window
    is an error, hence the wait for X to report the map)."""
    events = watcher()
    events.read()
    seen = len(events.windows)
    display().set_iconic(window, False)
    display().map_raised(window)

    def mapped_again():
        events.read()
        return (kf_x11.MAP_NOTIFY, window) in events.windows[seen:]

    wait_until(mapped_again, "the window was not mapped again", timeout=30)
    display().focus(window)


def window_mapped(window):
    return display().viewable(window)


def wait_until(condition, what, timeout=60):
    deadline = time.monotonic() + timeout
    while not condition():
        check(time.monotonic() < deadline, f"{what} within {timeout} s")
        time.sleep(0.2)


def screen_size():
    return display().screen_size()


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


def main(test, wine=False, browser=False):
    """Runs `test()` against the game named on the command line (see the module's comment);
    `wine`: the scenario also applies to the Windows game, `browser`: to the web page. Prints
    PASS or the failure and sets the exit code."""
    global GAME, SCORES, WINE, BROWSER
    parser = argparse.ArgumentParser()
    parser.add_argument("--scores", help="where the game saves its table")
    parser.add_argument("--browser", help="the web page's folder: play the game in the page")
    parser.add_argument("game", nargs=argparse.REMAINDER, help="the game's command line")
    options = parser.parse_args()
    GAME, SCORES, BROWSER = options.game, options.scores, options.browser
    if BROWSER:
        _run_in_page(test, browser)
        return
    if GAME and os.sep in GAME[0]:
        # The game starts in its scratch folder: a relative path would point elsewhere there.
        GAME[0] = os.path.abspath(GAME[0])
    WINE = bool(GAME) and GAME[0].lower().endswith(".exe")
    try:
        check(GAME, "no game named on the command line")
        check(wine or not WINE, "this scenario is for the Linux game only")
        try:
            display().auto_repeat_off()
        except OSError as error:
            raise E2EFailure(f"cannot reach the display: {error}")
        test()
    except E2EFailure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
    print("PASS")


def _run_in_page(test, browser):
    import kf_browser
    try:
        check(browser, "this scenario is not for the web page")
        test()
    except (E2EFailure, kf_browser.BrowserFailure) as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
    print("PASS")
