"""Reading what the game shows: screenshots of the display, the game's text picked out and read
with tesseract, and waits until an expected text shows. Every screenshot a test takes is kept
in its output folder (`<test>_screens` in the working directory), with what was read beside it
in a .txt file, so that a person can look at them after the run."""

import difflib
import os
import re
import shutil
import sys
import threading
import time

import kf_e2e
from kf_e2e import check, run

# Every text the game draws is pure white with a black shadow; the lit scene seldom reaches
# full white. So the pixels that are white in all three channels are taken for text.
TEXT_LEVEL = "99.8%"


class Screens:
    """The screenshots of one test, numbered in the order they were taken."""

    def __init__(self):
        for tool in ("import", "convert", "tesseract"):
            check(shutil.which(tool), f"{tool} is missing; scripts/install-deps.sh --test "
                                      "installs it")
        name = os.path.basename(sys.argv[0]).replace("_test.py", "")
        self.folder = os.path.abspath(name + "_screens")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.count = 0

    def shoot(self, label):
        """Photographs the whole display (the page's canvas) into `NN_label.png`; returns its
        path."""
        self.count += 1
        path = os.path.join(self.folder, f"{self.count:02d}_{label}.png")
        check(kf_e2e.screenshot(path), "cannot take a screenshot")
        return path

    def read(self, path):
        """The text that tesseract reads in a screenshot (also kept as a .txt beside it)."""
        mask = path.replace(".png", ".text.png")
        run(["convert", path, "-channel", "RGB", "-separate", "-evaluate-sequence", "min",
             "-threshold", TEXT_LEVEL, "-negate", mask], timeout=60)
        # One thread: tesseract's OpenMP threads spin on a busy machine, four times slower.
        reading = run(["tesseract", mask, "-", "--psm", "6"], timeout=60,
                      env=dict(os.environ, OMP_THREAD_LIMIT="1"))
        check(reading.returncode == 0, f"tesseract failed:\n{reading.stderr}")
        text = reading.stdout
        os.remove(mask)
        with open(path.replace(".png", ".txt"), "w") as f:
            f.write(text)
        return text

    def wait_for(self, game, found, what, label, timeout=60):
        """Reads the screen about once a second until `found(text)` gives something true, and
        returns that. Only the last screenshot of the wait is kept."""
        deadline = time.monotonic() + timeout
        text = ""
        path = None
        while True:
            check(game.process.poll() is None, f"the game ended while waiting for {what}:\n"
                                               f"{game.log()}")
            if path is not None:
                os.remove(path)
                os.remove(path.replace(".png", ".txt"))
                self.count -= 1
            path = self.shoot(label)
            text = self.read(path)
            result = found(text)
            if result:
                return result
            if time.monotonic() > deadline:
                raise kf_e2e.E2EFailure(f"no {what} on the screen within {timeout} s; last read "
                                        f"({path}):\n{text}")
            time.sleep(0.5)


# Letters and digits that tesseract takes for each other in this font, mapped to one of them.
_LOOKALIKES = str.maketrans("OQDILJ|!SZBG", "000111115286")


class Burst:
    """Screenshots taken back to back in a thread of its own while a test waits for something
    else, read only afterwards: how often a short scene is seen then depends on how fast the
    screen can be photographed, not on how long tesseract takes per picture on a busy machine.
    Use as a context manager; `texts()` reads the pictures once the burst has ended."""

    def __init__(self, screens, label):
        self.screens = screens
        self.label = label
        self.paths = []
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._shoot, daemon=True)

    def _shoot(self):
        while not self.stopping.is_set():
            path = os.path.join(self.screens.folder, f"{self.label}_{len(self.paths):03d}.png")
            if kf_e2e.screenshot(path):
                self.paths.append(path)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.thread.join()

    def texts(self):
        return [self.screens.read(path) for path in self.paths]


def squeeze(text):
    """Upper case without spaces, look-alike characters made the same, for lenient matching."""
    return re.sub(r"\s+", "", text.upper()).translate(_LOOKALIKES)


def likeness(seen, expected):
    """0..1: how close a read text is to the expected one, look-alikes forgiven."""
    return difflib.SequenceMatcher(None, squeeze(seen), squeeze(expected)).ratio()


def contains_like(seen, expected, ratio=0.8):
    """Whether some stretch of `seen` reads like `expected`."""
    seen, expected = squeeze(seen), squeeze(expected)
    if len(seen) <= len(expected):
        return difflib.SequenceMatcher(None, seen, expected).ratio() >= ratio
    return any(difflib.SequenceMatcher(None, seen[i:i + len(expected)], expected).ratio() >= ratio
               for i in range(len(seen) - len(expected) + 1))


def has_line(text, expected, ratio=0.85):
    return any(likeness(line.lstrip("> "), expected) >= ratio for line in text.splitlines())


def menu_line_before(text, menu_line):
    """The line read just above `menu_line` (for the name above "Back to main menu"), without
    the cursor; None when `menu_line` was not read."""
    lines = [line.strip() for line in text.splitlines() if line.strip()]
    for i, line in enumerate(lines):
        if likeness(line.lstrip("> "), menu_line) >= 0.85:
            return lines[i - 1].lstrip(">").strip() if i > 0 else ""
    return None


_NUMBER = r"(\d+[.,]\d\d)"


def readouts(text):
    """(pressure in mbar, length in cm) from the game's readouts; None for one not read."""
    pressure = re.search(r"Pressure\W*" + _NUMBER, text)
    length = re.search(r"Wurst\W*" + _NUMBER, text)
    return (float(pressure.group(1).replace(",", ".")) if pressure else None,
            float(length.group(1).replace(",", ".")) if length else None)


def length_above(cm):
    """For wait_for: the length readout once it shows more than `cm`."""
    def found(text):
        length = readouts(text)[1]
        return length if length is not None and length > cm else None
    return found


def table_lengths(text, name):
    """The lengths read in the highscore rows whose name reads like `name` (as "12.34")."""
    found = []
    for line in text.splitlines():
        number = re.search(_NUMBER, line)
        if number and contains_like(line[number.end():], name, 0.8):
            found.append(number.group(1).replace(",", "."))
    return found


def main_menu(text):
    """Whether the text is the main menu's, its cursor on "Start new game"."""
    return any(line.lstrip().startswith((">", "»")) and
               likeness(line.lstrip(" >»"), "Start new game") >= 0.85
               for line in text.splitlines())


def congratulations(text):
    return has_line(text, "Congratulations!") and has_line(text, "You made it into the top ten")


def open_at_menu(screens, game, label="start"):
    """Starts the game and waits for its main menu on the screen; returns the window id."""
    game.start()
    window = game.wait_for_window()
    game.wait_for_picture()
    screens.wait_for(game, main_menu, "the main menu", label)
    return window
