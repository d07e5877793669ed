"""The fullscreen Windows game lends the screen back: on a display whose own mode is 1280x1024
(with 1024x768 added through RandR, so that Wine really switches), the game runs at 1024x768;
the window shows the game's own icon; another program taking the foreground, as Alt-Tab does, gives the desktop its mode back and
minimises the game. A second start of the game ends at once and brings the first to the
front, which sets its mode again and draws on. Windowed (F1), losing the foreground changes
nothing, and quitting leaves the desktop's mode. What Windows programs see of the game comes
from window_probe.exe (KF_WINDOW_PROBE), run in the same prefix."""

import os
import re
import struct
import subprocess

import kf_audio
import kf_e2e
from kf_e2e import check, run

DESKTOP = "1280x1024"
GAME_MODE = "1024x768"


def x_mode():
    """The display's current mode as X reports it ("WxH")."""
    out = run(["xrandr", "--current"]).stdout
    found = re.search(r"current (\d+) x (\d+)", out)
    return f"{found.group(1)}x{found.group(2)}" if found else ""


def ico_pixels(path, size):
    """The `size` x `size` 32-bit image of an .ico file as ARGB values, top row first."""
    with open(path, "rb") as f:
        data = f.read()
    count = struct.unpack("<H", data[4:6])[0]
    for entry in range(count):
        width, height, _, _, _, bits, _, offset = struct.unpack(
            "<BBBBHHII", data[6 + 16 * entry:22 + 16 * entry])
        if (width or 256) == size and bits == 32:
            start = offset + struct.unpack("<I", data[offset:offset + 4])[0]
            rows = [struct.unpack(f"<{size}I", data[start + 4 * size * y:start + 4 * size * (y + 1)])
                    for y in range(size)]
            # Stored bottom row first; B, G, R, A bytes are an ARGB value read little-endian.
            return [pixel for row in reversed(rows) for pixel in row]
    raise kf_e2e.E2EFailure(f"no {size}x{size} 32-bit image in {path}")


def check_own_icon(window):
    """The icon Wine gives the window's X side (_NET_WM_ICON, from the window class as the
    taskbar and Alt-Tab take it) is the game's own, resources/icon.ico."""
    out = run(["xprop", "-id", hex(window), "-notype", "32c", "_NET_WM_ICON"]).stdout
    values = [int(v) for v in re.findall(r"\d+", out.split("=", 1)[-1])]
    icons = {}
    while len(values) >= 2 and len(values) >= 2 + values[0] * values[1]:
        width, height = values[0], values[1]
        icons[(width, height)] = values[2:2 + width * height]
        values = values[2 + width * height:]
    check((32, 32) in icons, f"no 32x32 icon on the window: {sorted(icons)}")
    own = ico_pixels(os.path.join(kf_audio.RESOURCES, "icon.ico"), 32)
    alike = sum(all(abs((a >> s & 255) - (b >> s & 255)) <= 8 for s in (0, 8, 16, 24))
                for a, b in zip(icons[(32, 32)], own))
    check(alike >= 0.95 * len(own), f"the window's icon is not the game's ({alike} of "
          f"{len(own)} pixels alike)")


def add_game_mode():
    check(x_mode() == DESKTOP, f"the display runs {x_mode()}, not {DESKTOP} (XVFB_SCREEN)")
    # The timings of a common 60 Hz 1024x768 mode; Xvfb only needs a mode to switch to.
    run(["xrandr", "--newmode", GAME_MODE, "63.50", "1024", "1072", "1176", "1328", "768",
         "771", "775", "798", "-hsync", "+vsync"])
    added = run(["xrandr", "--addmode", "screen", GAME_MODE])
    check(added.returncode == 0, f"xrandr could not add {GAME_MODE}:\n{added.stderr}")


class Probe:
    """window_probe.exe in the game's prefix."""

    def __init__(self, game):
        self.exe = os.environ.get("KF_WINDOW_PROBE", "")
        check(self.exe.endswith(".exe"), "KF_WINDOW_PROBE does not name window_probe.exe")
        self.game = game
        self.thief = None

    def state(self):
        out = run(["wine", self.exe, "state"], timeout=60, env=self.game.env).stdout
        return dict(field.split("=", 1) for field in out.split() if "=" in field)

    def wait_for(self, what, **wanted):
        """Waits until the probe sees the game as `wanted` (iconic="1", ...) and X runs the
        mode `x_mode` if given."""
        mode = wanted.pop("x_mode", None)
        seen = {}

        def holds():
            self.game.check_running(f"while waiting for {what}")
            seen.update(self.state())
            return (all(seen.get(k) == v for k, v in wanted.items()) and
                    (mode is None or x_mode() == mode))

        try:
            kf_e2e.wait_until(holds, what, timeout=90)
        except kf_e2e.E2EFailure as failure:
            raise kf_e2e.E2EFailure(f"{failure}; last seen {seen}, X mode {x_mode()}")

    def steal_foreground(self):
        """A window of the probe's own takes the foreground until give_back()."""
        self.stop_file = self.game.path("stop_stealing")
        self.thief = subprocess.Popen(["wine", self.exe, "steal", self.stop_file],
                                      env=self.game.env, stdout=subprocess.PIPE, text=True)
        check(self.thief.stdout.readline().startswith("stolen"), "the probe made no window")

    def give_back(self):
        open(self.stop_file, "w").close()
        self.thief.wait(timeout=60)
        os.remove(self.stop_file)


def test():
    check(kf_e2e.WINE, "the display mode is the Windows game's")
    add_game_mode()
    game = kf_e2e.Game()
    probe = Probe(game)
    try:
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        probe.wait_for("the game in the foreground at its mode", window="1", iconic="0",
                       foreground="1", x_mode=GAME_MODE)
        check_own_icon(window)

        probe.steal_foreground()
        probe.wait_for("the desktop's mode back and the game minimised", iconic="1",
                       foreground="0", x_mode=DESKTOP)

        second = run(["wine"] + game.command, timeout=120, env=game.env)
        check(second.returncode == 0, f"the second copy ended with {second.returncode}")
        probe.wait_for("the first copy in front again at its mode", iconic="0", foreground="1",
                       x_mode=GAME_MODE)
        frames = kf_e2e.drawn_frames()
        kf_e2e.wait_until(lambda: kf_e2e.drawn_frames() > frames + kf_e2e.KEY_HOLD_FRAMES,
                          "the game drew again")
        probe.give_back()

        kf_e2e.display().focus(window)
        window = kf_e2e.switch_mode(game, window, "F1 to a window")
        check(x_mode() == DESKTOP, f"windowed, the display runs {x_mode()}")
        probe.steal_foreground()
        probe.wait_for("another window in the foreground", foreground="0")
        check(probe.state().get("iconic") == "0", "the windowed game was minimised")
        check(x_mode() == DESKTOP, f"the windowed game changed the mode to {x_mode()}")
        probe.give_back()

        kf_e2e.display().focus(window)
        kf_e2e.quit_game(game)
        check(x_mode() == DESKTOP, f"after quitting the display runs {x_mode()}")
    finally:
        if probe.thief is not None and probe.thief.poll() is None:
            probe.thief.kill()
            probe.thief.wait()
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
