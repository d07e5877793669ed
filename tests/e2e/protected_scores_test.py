"""A scores.dat its owner made read-only (mode 0444) is read at start-up and kept exactly as
it is when the game ends, even for root, who could write it: the same file with the same
contents, owner, mode and time, and nothing else left in the folder."""

import os

import kf_e2e
from kf_e2e import check

ROWS = [(90.0 - 8.0 * i, b"KEEP ME %d" % i) for i in range(10)]


def facts(path):
    info = os.lstat(path)
    with open(path, "rb") as f:
        return {"inode": info.st_ino, "mode": oct(info.st_mode), "owner": info.st_uid,
                "group": info.st_gid, "mtime": info.st_mtime_ns, "bytes": f.read()}


def test():
    game = kf_e2e.Game()
    try:
        path = game.path("scores.dat")
        kf_e2e.write_scores(path, ROWS)
        os.chmod(path, 0o444)
        os.utime(path, (0, 0))
        before = facts(path)
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        # Closing the window is one event, which no busy frame can lose, and ends the game
        # through the same shutdown with its save as "Quit game".
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        after = facts(path)
        changed = [key for key in before if before[key] != after[key]]
        check(not changed, f"the protected table changed: {changed} "
                           f"({ {k: before[k] for k in changed} } -> "
                           f"{ {k: after[k] for k in changed} })")
        check(not kf_e2e.files_left(game), f"files left: {kf_e2e.files_left(game)}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
