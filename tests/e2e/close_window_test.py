"""Closing the window ends the game through the normal shutdown, exit code 0 and the table read
at start-up saved again: as a window manager's close box does it, and with Alt+F4."""

import os

import kf_e2e
from kf_e2e import check

ROWS = [(100.0 - 7.5 * i, b"E2E ROW %d" % i) for i in range(10)]


def close_and_check(close):
    game = kf_e2e.Game()
    try:
        kf_e2e.write_scores(game.path("scores.dat"), ROWS)
        os.utime(game.path("scores.dat"), (0, 0))
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        close(window)
        game.wait_for_clean_exit()
        check(os.stat(game.path("scores.dat")).st_mtime > 0, "scores.dat was not saved")
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        check(rows == ROWS, f"saved table differs from the loaded one: {rows}")
    finally:
        game.cleanup()


def alt_f4(window):
    kf_e2e.send_key("Alt_L", True)
    try:
        kf_e2e.press("F4")
    finally:
        kf_e2e.send_key("Alt_L", False)


def test():
    close_and_check(kf_e2e.close_window)
    close_and_check(alt_f4)


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
