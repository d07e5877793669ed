"""The Windows installer as a player meets it, under Wine in a prefix of its own: installed
silently for this user, with the desktop shortcut asked for, it puts the program under
%LOCALAPPDATA%\\Programs, its shortcuts in the Start menu and on the desktop and its entry
under Apps & features; the game started through its Start-menu shortcut runs in
%APPDATA%\\Kesselfass3D and saves its table there when quit through the menu; installing
again while the game runs closes the game (which saves its table) and installs; the silent
uninstall, with the game running again, closes it likewise and takes the program, the
shortcuts and the entry away and leaves the table.
    installer_test.py kesselfass3d-<version>-setup.exe"""

import os
import shutil
import subprocess
import tempfile

import kf_e2e
from kf_e2e import check, run

PROGRAM = "Kesselfass 3D"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kesselfass3D"


class Prefix:
    """A Wine prefix made for this test alone: what the installer writes is all there is."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="kf_wine_installer_")
        # Wine links the profile's Desktop and other folders to the home folder: a home of the
        # test's own keeps the desktop shortcut off the developer's.
        self.home = os.path.join(self.path, "home")
        os.mkdir(self.home)
        self.env = dict(os.environ, WINEPREFIX=self.path, HOME=self.home)
        made = run(["wineboot", "--init"], timeout=300, env=self.env)
        check(made.returncode == 0, f"wineboot failed:\n{made.stderr}")
        self.wait()
        self.user = os.path.join(self.path, "drive_c", "users", os.environ.get("USER", "root"))

    def wine(self, args, timeout=300):
        """Runs a Windows program and waits until every process it started has ended: an NSIS
        uninstaller copies itself away and runs on from the copy."""
        done = run(["wine"] + args, timeout=timeout, env=self.env)
        self.wait()
        return done

    def wait(self):
        run(["wineserver", "-w"], timeout=300, env=self.env)

    def under_user(self, *parts):
        return os.path.join(self.user, *parts)

    def uninstall_entry(self):
        """The values of the game's Apps & features entry, {} when there is none."""
        out = run(["wine", "reg", "query", UNINSTALL_KEY], env=self.env).stdout
        values = {}
        for line in out.replace("\r", "").splitlines():
            fields = line.strip().split(None, 2)
            if len(fields) == 3 and fields[1].startswith("REG_"):
                values[fields[0]] = fields[2]
        return values

    def remove(self):
        run(["wineserver", "-k"], timeout=60, env=self.env)
        shutil.rmtree(self.path, ignore_errors=True)


def installed_files(prefix):
    folder = prefix.under_user("AppData", "Local", "Programs", PROGRAM)
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def shortcuts(prefix):
    start_menu = prefix.under_user("AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                   "Programs", PROGRAM + ".lnk")
    desktop = prefix.under_user("Desktop", PROGRAM + ".lnk")
    return [path for path in (start_menu, desktop) if os.path.lexists(path)]


def check_installed(prefix):
    files = installed_files(prefix)
    check(files == ["how-to-play.txt", "kesselfass3d.exe", "uninstall.exe"],
          f"installed files: {files}")
    check(len(shortcuts(prefix)) == 2, f"shortcuts: {shortcuts(prefix)}")
    entry = prefix.uninstall_entry()
    for name, expected in (("DisplayName", PROGRAM), ("Publisher", "Kesselfass 3D developers")):
        check(entry.get(name) == expected, f"{name} in the entry: {entry}")
    check(entry.get("DisplayVersion", "").count(".") >= 1, f"no version in the entry: {entry}")
    check(entry.get("DisplayIcon", "").endswith(r"\kesselfass3d.exe,0"), f"icon: {entry}")
    check(int(entry.get("EstimatedSize", "0"), 16) > 500, f"size in KiB: {entry}")
    check(entry.get("UninstallString", "").endswith('uninstall.exe"'), f"uninstall: {entry}")


def start_from_start_menu(prefix, started_in):
    """Starts the game through its Start-menu shortcut, as a click does, from the folder
    `started_in`, and waits until it draws. The shortcut is opened as the shell opens it,
    which returns at once: the game is followed by its window."""
    link = ("C:\\users\\" + os.path.basename(prefix.user) + "\\AppData\\Roaming\\Microsoft\\"
            "Windows\\Start Menu\\Programs\\" + PROGRAM + ".lnk")
    # The game inherits the output: a file, not a pipe that would stay open while it runs.
    with tempfile.TemporaryFile() as log:
        opened = subprocess.run(["wine", "start", link], cwd=started_in, env=prefix.env,
                                stdout=log, stderr=log, timeout=120)
    check(opened.returncode == 0, f"the shortcut did not open ({opened.returncode})")
    kf_e2e.wait_until(lambda: kf_e2e.visible_windows(kf_e2e.TITLE), "no game window", 120)
    kf_e2e.wait_until(lambda: kf_e2e.display().brightness() > 0.05, "nothing drawn", 120)


def play_from_start_menu(prefix):
    """Starts the game through its Start-menu shortcut and quits it through the menu; returns
    the table it saved in the data folder. Its end is the prefix's processes all ending."""
    started_in = tempfile.mkdtemp(prefix="kf_e2e_started_in_")
    try:
        start_from_start_menu(prefix, started_in)
        kf_e2e.type_keys(["Down"] * 4 + ["Return"])
        prefix.wait()
        check(not kf_e2e.visible_windows(kf_e2e.TITLE), "the game's window is left")
        check(os.listdir(started_in) == [], "the game saved where wine was started")
    finally:
        shutil.rmtree(started_in, ignore_errors=True)
    table = prefix.under_user("AppData", "Roaming", "Kesselfass3D", "scores.dat")
    check(os.path.isfile(table), "no table in %APPDATA%\\Kesselfass3D after quitting")
    return kf_e2e.read_scores(table)


def run_over_running_game(prefix, program, what):
    """Runs the installer or uninstaller silently while the game runs: it closes the game,
    which saves its table as it ends, and goes on."""
    table = prefix.under_user("AppData", "Roaming", "Kesselfass3D", "scores.dat")
    os.remove(table)
    started_in = tempfile.mkdtemp(prefix="kf_e2e_started_in_")
    try:
        start_from_start_menu(prefix, started_in)
        done = prefix.wine([program, "/S"])
        check(done.returncode == 0, f"the {what} failed over a running game ({done.returncode})")
        check(not kf_e2e.visible_windows(kf_e2e.TITLE), f"the game still runs after the {what}")
        check(os.path.isfile(table), f"the game closed by the {what} saved no table")
    finally:
        shutil.rmtree(started_in, ignore_errors=True)


def test():
    setup = kf_e2e.GAME[0]
    prefix = Prefix()
    try:
        done = prefix.wine([setup, "/S", "/DESKTOP"])
        check(done.returncode == 0, f"the installer failed ({done.returncode}):\n{done.stderr}")
        check_installed(prefix)
        check(play_from_start_menu(prefix) == kf_e2e.DEFAULT_TABLE, "not the default table")
        run_over_running_game(prefix, setup, "installer")
        check_installed(prefix)

        uninstaller = ("C:\\users\\" + os.path.basename(prefix.user) +
                       "\\AppData\\Local\\Programs\\" + PROGRAM + "\\uninstall.exe")
        run_over_running_game(prefix, uninstaller, "uninstaller")
        check(installed_files(prefix) == [], f"left installed: {installed_files(prefix)}")
        check(shortcuts(prefix) == [], f"shortcuts left: {shortcuts(prefix)}")
        check(prefix.uninstall_entry() == {}, "the Apps & features entry is left")
        table = prefix.under_user("AppData", "Roaming", "Kesselfass3D", "scores.dat")
        check(os.path.isfile(table), "the uninstaller took the player's table")
    finally:
        prefix.remove()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
