"""Logging off or shutting down Windows with the game open loses nothing: the session's end
(WM_QUERYENDSESSION, WM_ENDSESSION, as wineboot --end-session sends them to every window)
saves the table as a quit would, before the system ends the process. The table is an older
file with leftovers after its names, so that only a save makes the bytes the game writes."""

import kf_e2e
from kf_e2e import check, run
from quit_through_menu_test import OLD_TABLE, expected_bytes, write_old_file


def test():
    check(kf_e2e.WINE, "the session's end is the Windows game's")
    game = kf_e2e.Game()
    try:
        write_old_file(game.path("scores.dat"), OLD_TABLE)
        game.start()
        game.wait_for_window()
        game.wait_for_picture()
        # --force: the session ends even should a program refuse; --kill: then every process
        # of it is ended, as Windows ends them once WM_ENDSESSION has been answered.
        ended = run(["wineboot", "--end-session", "--force", "--kill"], timeout=120,
                    env=game.env)
        check(ended.returncode == 0, f"wineboot --end-session failed:\n{ended.stderr}")
        game.wait_for_exit()
        with open(game.path("scores.dat"), "rb") as f:
            saved = f.read()
        check(saved == expected_bytes(OLD_TABLE),
              f"the table was not saved at the session's end:\n{saved!r}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
