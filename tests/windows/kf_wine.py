"""The Windows game under Wine for the end-to-end tests: the Linux tests' helpers (kf_e2e,
kf_screen) with a game started as `wine kesselfass3d.exe` in the run's prefix. Each game gets
the prefix's wineserver afresh on the test's own X display, and ends it when it is done."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import kf_e2e  # noqa: E402


def end_wineserver():
    """Ends the prefix's wineserver with every Windows process in it, and waits for that."""
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=60)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=60)


class WineGame(kf_e2e.Game):
    """One run of kesselfass3d.exe under Wine in its own scratch folder (Wine's Z: drive)."""

    def __init__(self, exe, env=None):
        super().__init__(exe, env)
        for name in ("WINEPREFIX", "WINEDEBUG"):
            kf_e2e.check(name in self.env, f"{name} is not set (run through ctest)")

    def start(self):
        # A wineserver left from an earlier game or suite may be tied to another display.
        end_wineserver()
        log = open(self.log_path, "wb")
        self.process = subprocess.Popen(["wine", self.binary], cwd=self.folder, env=self.env,
                                        stdout=log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        log.close()

    def stop(self):
        super().stop()
        end_wineserver()


def framed_at_corner(geometry, screen):
    """Whether a window's client area (x, y, width, height) is that of an overlapping window
    made at the desktop's top-left corner: offset by the frame and the caption, 1024x768 or as
    large as the system lets a window grow on this screen."""
    x, y, width, height = geometry
    return (0 < x <= 16 and 0 < y <= 48 and width >= min(1024, screen[0]) and
            height >= min(768, screen[1]) - 48)
