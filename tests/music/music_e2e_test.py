"""The real game's music, heard through SDL's disk audio driver: it sounds from the first
second of the capture, keeps its level across an F1 window switch, carries a menu sound effect
mixed over it, and the game still ends promptly when asked to quit. The quit comes as SIGTERM,
which SDL turns into the same quit event as closing the window: the shutdown that "Quit game"
runs too, without depending on a key press reaching the menu on a busy machine."""

import array
import math
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import kf_e2e  # noqa: E402 (found through the path above)
from kf_e2e import check  # noqa: E402

RATE = 44100
FRAME_BYTES = 4  # stereo, 16-bit
WINDOW_S = 0.5


def seconds_captured(path):
    try:
        return os.path.getsize(path) / (FRAME_BYTES * RATE)
    except OSError:
        return 0.0


def wait_for_capture(game, path, seconds, timeout=120):
    """Waits until the capture holds `seconds` of sound; the game must run meanwhile."""

    def grown():
        check(game.process.poll() is None, f"the game ended:\n{game.log()}")
        return seconds_captured(path) >= seconds

    kf_e2e.wait_until(grown, f"the capture reached {seconds:.1f} s", timeout)


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


def play_until_quit(game, capture):
    """Drives the game; returns where the window switch and the effect fell in the capture
    and how long the game took to end."""
    game.wait_for_window()
    wait_for_capture(game, capture, 3.0)

    # F1 closes the window and makes a new one (X may give it the same id); the music must not
    # notice.
    kf_e2e.hold_until("F1", lambda: not kf_e2e.visible_windows(kf_e2e.TITLE),
                      "the window did not close")
    game.wait_for_window()
    switched_at = seconds_captured(capture)
    wait_for_capture(game, capture, switched_at + 3.0)

    for _ in range(3):
        kf_e2e.press("Down")
    music_level = recent_level(capture, 2.0)
    activated_at = seconds_captured(capture)
    # "Show controls" plays the flush effect (any line would).
    kf_e2e.hold_until("Return", lambda: recent_level(capture) > 2 * music_level,
                      "no effect was heard")
    wait_for_capture(game, capture, activated_at + 6.5)

    asked = time.monotonic()
    game.process.terminate()
    game.wait_for_clean_exit()
    return switched_at, activated_at, time.monotonic() - asked


def check_levels(capture, switched_at, activated_at):
    levels = window_levels(capture)
    activation = int(activated_at / WINDOW_S)
    music = sorted(levels[:activation])
    median = music[len(music) // 2]
    print(f"music level (RMS, 0.5 s windows before the effect): min {music[0]:.4f}, "
          f"median {median:.4f}, max {music[-1]:.4f}; window switch at {switched_at:.1f} s")
    check(median > 0.01, f"no music in the capture (median level {median:.4f})")
    # The capture starts when the audio device opens; the music follows once the SoundFont is
    # loaded (about 0.3 s on an idle machine, longer on a busy one: not a thing to assert).
    onset = next((at * 0.05 for at, level in enumerate(window_levels(capture, 0.05))
                  if level > 0.3 * median), None)
    check(onset is not None and onset < activated_at,
          f"no music before the effect (onset {onset})")
    print(f"music sounds {onset:.2f} s into the capture")
    # From the first whole window after the onset the level holds steady.
    steady_from = math.ceil(onset / WINDOW_S) + 1
    for at, level in enumerate(levels[:activation]):
        if at < steady_from:
            continue
        check(0.4 * median < level < 2.5 * median,
              f"music level {level:.4f} at {at * WINDOW_S:.1f} s strays from {median:.4f}")
    effect = max(levels[activation:activation + 5])
    print(f"with the effect: {effect:.4f}")
    check(effect > 2 * median, f"no effect over the music ({effect:.4f} vs {median:.4f})")
    after = levels[activation + 10:activation + 12]  # the 4.3 s flush is over
    check(all(level > 0.4 * median for level in after),
          f"the music does not go on after the effect: {after}")


def test(binary):
    game = kf_e2e.Game(binary, env={"SDL_AUDIODRIVER": "disk"})
    try:
        capture = game.path("capture.raw")
        game.env["SDL_DISKAUDIOFILE"] = capture
        game.start()
        switched_at, activated_at, exit_s = play_until_quit(game, capture)
        check_levels(capture, switched_at, activated_at)
        print(f"the game ended {exit_s:.2f} s after it was asked to quit")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
