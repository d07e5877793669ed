"""A FIFO named scores.dat neither holds up the start-up nor gets replaced: the game draws its
menu at once with the default table, and its normal end leaves the FIFO as it was."""

import os
import stat

import kf_e2e
from kf_e2e import check


def test():
    game = kf_e2e.Game()
    try:
        fifo = game.path("scores.dat")
        os.mkfifo(fifo, 0o644)
        before = os.lstat(fifo)
        game.start()
        window = game.wait_for_window()
        # Opening the FIFO to read it would wait for a writer: a black window for ever.
        game.wait_for_picture()
        # Closing the window is one event, which no busy frame can lose, and ends the game
        # through the same shutdown with its save as "Quit game".
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        after = os.lstat(fifo)
        check(stat.S_ISFIFO(after.st_mode), "scores.dat is no longer the FIFO")
        check((after.st_ino, after.st_mode) == (before.st_ino, before.st_mode),
              "the FIFO was replaced or changed")
        check(not kf_e2e.files_left(game), f"files left: {kf_e2e.files_left(game)}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
