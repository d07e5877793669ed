"""The real game's music, heard through SDL's disk audio driver: it sounds from the first
second of the capture, keeps its level across an F1 window switch, carries a menu sound effect
mixed over it, and the game still ends promptly when asked to quit. The quit comes as SIGTERM,
which SDL turns into the same quit event as closing the window: the shutdown that "Quit game"
runs too, without depending on a key press reaching the menu on a busy machine."""

import array
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

TITLE = "QUARZMOLCH erlauben sich zu praesentieren: Kesselfass 3D"
RATE = 44100
FRAME_BYTES = 4  # stereo, 16-bit
WINDOW_S = 0.5
KEY_HOLD_S = 0.2  # a person's key press; the game reads keys at its next 40 ms tick


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(args):
    return subprocess.run(args, capture_output=True, text=True, timeout=30)


class Game:
    """The game in a scratch folder, its mixed audio going to capture.raw."""

    def __init__(self, binary):
        self.folder = tempfile.mkdtemp(prefix="kf_music_e2e_")
        self.capture = os.path.join(self.folder, "capture.raw")
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.capture)
        env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
        self.log_path = os.path.join(self.folder, "game.log")
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen([binary], cwd=self.folder, env=env, stdout=log,
                                            stderr=subprocess.STDOUT)

    def log(self):
        with open(self.log_path, "r", errors="replace") as f:
            return f.read()

    def alive(self):
        check(self.process.poll() is None, f"the game ended:\n{self.log()}")

    def wait_for_window(self, present=True, timeout=120, poll=0.2):
        """Waits until the game's window is there (or, with present=False, gone)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.alive()
            if bool(run(["xdotool", "search", "--name", TITLE]).stdout.split()) == present:
                return
            time.sleep(poll)
        raise Failure(f"the game window was not {'there' if present else 'closed'} "
                      f"within {timeout} s")

    def seconds_captured(self):
        try:
            return os.path.getsize(self.capture) / (FRAME_BYTES * RATE)
        except OSError:
            return 0.0

    def wait_for_capture(self, seconds, timeout=120):
        deadline = time.monotonic() + timeout
        while self.seconds_captured() < seconds:
            self.alive()
            check(time.monotonic() < deadline, f"the capture stopped below {seconds:.1f} s")
            time.sleep(0.2)

    def wait_for_exit(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the game still runs {timeout} s after it was asked to quit")

    def cleanup(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def press(key):
    run(["xdotool", "keydown", key])
    time.sleep(KEY_HOLD_S)
    run(["xdotool", "keyup", key])
    time.sleep(0.15)


def hold_until(key, condition, what, timeout=60, poll=0.02):
    """Holds `key` down until `condition()` holds: a slow pass of the game's loop could
    otherwise take both the press and the release before a tick looks at the key."""
    run(["xdotool", "keydown", key])
    try:
        deadline = time.monotonic() + timeout
        while not condition():
            check(time.monotonic() < deadline, f"{what} within {timeout} s of pressing {key}")
            time.sleep(poll)
    finally:
        run(["xdotool", "keyup", key])


def recent_level(path, seconds=0.25):
    """RMS of the left channel over the last `seconds` captured, full scale 1.0."""
    size = int(seconds * RATE) * FRAME_BYTES
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - size))
            samples = array.array("h")
            samples.frombytes(f.read(size - size % FRAME_BYTES))
    except OSError:
        return 0.0
    left = samples[0::2]
    return math.sqrt(sum(v * v for v in left) / max(1, len(left))) / 32768.0


def window_levels(path, window_s=WINDOW_S):
    """RMS of the left channel in consecutive windows, full scale 1.0."""
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    left = samples[0::2]
    size = int(window_s * RATE)
    levels = []
    for start in range(0, len(left) - size + 1, size):
        chunk = left[start:start + size]
        levels.append(math.sqrt(sum(v * v for v in chunk) / size) / 32768.0)
    return levels


def test(binary):
    game = Game(binary)
    try:
        game.wait_for_window()
        game.wait_for_capture(3.0)

        # F1 closes the window and makes a new one (X may give it the same id); the music
        # must not notice.
        hold_until("F1", lambda: not run(["xdotool", "search", "--name", TITLE]).stdout.split(),
                   "the window did not close")
        game.wait_for_window()
        switched_at = game.seconds_captured()
        game.wait_for_capture(switched_at + 3.0)

        for _ in range(3):
            press("Down")
        music_level = recent_level(game.capture, 2.0)
        activated_at = game.seconds_captured()
        # "Show controls" plays the flush effect (any line would).
        hold_until("Return", lambda: recent_level(game.capture) > 2 * music_level,
                   "no effect was heard")
        game.wait_for_capture(activated_at + 6.5)

        asked = time.monotonic()
        game.process.terminate()
        status = game.wait_for_exit()
        exit_s = time.monotonic() - asked
        check(status == 0, f"exit code {status}:\n{game.log()}")

        levels = window_levels(game.capture)
        activation = int(activated_at / WINDOW_S)
        music = sorted(levels[:activation])
        median = music[len(music) // 2]
        print(f"music level (RMS, 0.5 s windows before the effect): min {music[0]:.4f}, "
              f"median {median:.4f}, max {music[-1]:.4f}; window switch at {switched_at:.1f} s")
        check(median > 0.01, f"no music in the capture (median level {median:.4f})")
        # The capture starts when the audio device opens; the music follows once the
        # SoundFont is loaded (about 0.3 s).
        onset = next((at * 0.05 for at, level in enumerate(window_levels(game.capture, 0.05))
                      if level > 0.3 * median), None)
        print(f"music sounds {onset:.2f} s into the capture")
        check(onset is not None and onset < 1.0, f"no music in the first second (onset {onset})")
        for at, level in enumerate(levels[:activation]):
            if at * WINDOW_S < 1.0:
                continue
            check(0.4 * median < level < 2.5 * median,
                  f"music level {level:.4f} at {at * WINDOW_S:.1f} s strays from {median:.4f}")
        effect = max(levels[activation:activation + 5])
        print(f"with the effect: {effect:.4f}")
        check(effect > 2 * median, f"no effect over the music ({effect:.4f} vs {median:.4f})")
        after = levels[activation + 10:activation + 12]  # the 4.3 s flush is over
        check(all(level > 0.4 * median for level in after),
              f"the music does not go on after the effect: {after}")
        print(f"the game ended {exit_s:.2f} s after it was asked to quit")
    finally:
        game.cleanup()


if __name__ == "__main__":
    try:
        test(sys.argv[1])
    except Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
    print("PASS")
