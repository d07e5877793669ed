"""Closing the window as a window manager's close box does ends the game through the normal
shutdown: exit code 0, and the table read at start-up is saved again."""

import os

import kf_e2e
from kf_e2e import check

ROWS = [(100.0 - 7.5 * i, b"E2E ROW %d" % i) for i in range(10)]


def test():
    game = kf_e2e.Game()
    try:
        kf_e2e.write_scores(game.path("scores.dat"), ROWS)
        os.utime(game.path("scores.dat"), (0, 0))
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        check(os.stat(game.path("scores.dat")).st_mtime > 0, "scores.dat was not saved")
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        check(rows == ROWS, f"saved table differs from the loaded one: {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
