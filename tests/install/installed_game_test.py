"""The game installed like a desktop game: `cmake --install` into a scratch prefix puts the
executable, the launcher, the menu entry and the icon in place, and the launcher starts the game
in the player's data directory, where the table is saved."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import kf_e2e  # noqa: E402
from kf_e2e import check  # noqa: E402

BUILD_DIR = None


def install(prefix):
    done = subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix],
                          capture_output=True, text=True, timeout=120)
    check(done.returncode == 0, f"cmake --install failed:\n{done.stdout}{done.stderr}")


def check_files(prefix):
    for program in ("kesselfass3d", "kesselfass3d-desktop"):
        path = os.path.join(prefix, "bin", program)
        check(os.access(path, os.X_OK), f"{path} is not an installed program")
    entry_path = os.path.join(prefix, "share", "applications", "kesselfass3d.desktop")
    with open(entry_path) as f:
        entry = f.read()
    for line in ("[Desktop Entry]", "Type=Application", "Name=Kesselfass 3D",
                 "Exec=kesselfass3d-desktop", "Icon=kesselfass3d", "Categories=Game;"):
        check(line in entry, f"the menu entry lacks {line!r}")
    icon = os.path.join(prefix, "share", "icons", "hicolor", "64x64", "apps", "kesselfass3d.png")
    with open(icon, "rb") as f:
        header = f.read(24)
    check(header[:8] == b"\x89PNG\r\n\x1a\n", "the icon is not a PNG")
    width, height = struct.unpack(">II", header[16:24])
    check((width, height) == (64, 64), f"the icon is {width}x{height}, not 64x64")


def play_from_menu(prefix, home):
    """Starts the game the way the menu entry does and closes it; returns the game's folder."""
    launcher = os.path.join(prefix, "bin", "kesselfass3d-desktop")
    game = kf_e2e.Game([launcher], env={"HOME": home, "SDL_AUDIODRIVER": "dummy",
                                      "PATH": os.path.join(prefix, "bin") + ":" +
                                      os.environ.get("PATH", "")})
    game.env.pop("XDG_DATA_HOME", None)
    try:
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        kf_e2e.close_window(window)
        status = game.wait_for_exit()
        check(status == 0, f"exit code {status}:\n{game.log()}")
        check(not os.path.exists(game.path("scores.dat")),
              "the launcher left the table in the folder it was started from")
    finally:
        game.cleanup()


def test():
    scratch = tempfile.mkdtemp(prefix="kf_install_")
    try:
        prefix = os.path.join(scratch, "prefix")
        home = os.path.join(scratch, "home")
        os.makedirs(home)
        install(prefix)
        check_files(prefix)
        play_from_menu(prefix, home)
        scores = os.path.join(home, ".local", "share", "kesselfass3d", "scores.dat")
        check(os.path.exists(scores), f"no table at {scores}")
        rows = kf_e2e.read_scores(scores)
        check(rows[0] == (11.0, b"QUARZMOLCH"), f"unexpected table {rows}")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    BUILD_DIR = sys.argv.pop(1)
    kf_e2e.main(test)
