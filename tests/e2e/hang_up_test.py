"""Closing the terminal that started the game (the kernel sends SIGHUP) ends it like closing
its window: through the normal shutdown, exit code 0, the table read at start-up saved."""

import fcntl
import os
import pty
import select
import subprocess
import termios
import threading

import kf_e2e
from kf_e2e import check

ROWS = [(70.0 - 5.5 * i, b"HANG UP %d" % i) for i in range(10)]


class TerminalGame(kf_e2e.Game):
    """The game as a shell starts it: a session whose controlling terminal is a pseudo
    terminal, whose far end this test holds and closes as a terminal window does."""

    def __init__(self):
        super().__init__()
        self.master = None

    def start(self):
        self.master, slave = pty.openpty()
        self.stopping = threading.Event()
        self.process = subprocess.Popen(
            self.command, cwd=self.folder, env=self.env, stdin=slave, stdout=slave,
            stderr=slave, start_new_session=True,
            preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(slave)
        self.reader = threading.Thread(target=self._copy_output, daemon=True)
        self.reader.start()

    def _copy_output(self):
        """Keeps the terminal drained (a full one would block the game) into the log."""
        with open(self.log_path, "ab") as log:
            while not self.stopping.is_set():
                if not select.select([self.master], [], [], 0.2)[0]:
                    continue
                try:
                    data = os.read(self.master, 4096)
                except OSError:
                    return
                if not data:
                    return
                log.write(data)
                log.flush()

    def close_terminal(self):
        # A read blocked on it would keep it open, so the reader ends first.
        self.stopping.set()
        self.reader.join(timeout=10)
        os.close(self.master)
        self.master = None

    def cleanup(self):
        if self.master is not None:
            self.close_terminal()
        super().cleanup()


def test():
    game = TerminalGame()
    try:
        path = game.path("scores.dat")
        kf_e2e.write_scores(path, ROWS)
        os.utime(path, (0, 0))
        game.start()
        game.wait_for_window()
        game.wait_for_picture()
        game.close_terminal()
        status = game.wait_for_exit()
        check(status == 0, f"ended with {status} after the hang-up (-1: killed by it):\n"
                           f"{game.log()}")
        check(os.stat(path).st_mtime > 0, "scores.dat was not saved")
        rows = kf_e2e.read_scores(path)
        check(rows == ROWS, f"saved table differs from the loaded one: {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
