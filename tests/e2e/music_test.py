"""The real game's music, heard through SDL's disk audio driver: it sounds from the first
second of the capture, keeps its level across an F1 window switch, carries a menu sound effect
mixed over it, and the game still ends promptly when asked to quit. The quit comes as SIGTERM,
which SDL turns into the same quit event as closing the window: the shutdown that "Quit game"
runs too, without depending on a key press reaching the menu on a busy machine."""

import math
import time

import numpy

import kf_e2e
from kf_audio import DEVICE_RATE, captured_seconds, read_left_channel
from kf_e2e import check

WINDOW_S = 0.5


def wait_for_capture(game, path, seconds, timeout=120):
    """Waits until the capture holds `seconds` of sound; the game must run meanwhile."""

    def grown():
        game.check_running("while its sound was captured")
        return captured_seconds(path) >= seconds

    kf_e2e.wait_until(grown, f"the capture reached {seconds:.1f} s", timeout)


def window_levels(path, window_s=WINDOW_S, from_s=0.0):
    """RMS of the left channel in consecutive windows from `from_s` seconds on, full scale
    1.0."""
    left = read_left_channel(path)[int(from_s * DEVICE_RATE):]
    size = int(window_s * DEVICE_RATE)
    chunks = left[:len(left) // size * size].reshape(-1, size)
    return list(numpy.sqrt((chunks * chunks).mean(axis=1)) / 32768.0)


def play_until_quit(game, capture):
    """Drives the game; returns where the window switch and the effect fell in the capture
    and how long the game took to end."""
    window = game.wait_for_window()
    wait_for_capture(game, capture, 3.0)

    # F1 closes the window and makes a new one; the music must not notice.
    kf_e2e.switch_mode(game, window, "F1")
    switched_at = captured_seconds(capture)
    wait_for_capture(game, capture, switched_at + 3.0)

    for _ in range(3):
        kf_e2e.press("Down")
    music_level = window_levels(capture, 2.0, captured_seconds(capture) - 2.0)[0]
    activated_at = captured_seconds(capture)

    def effect_onset():
        """Where the first 0.25 s louder than twice the music begins after the press; the
        capture keeps all it heard, so a slow look misses nothing."""
        louder = [at for at, level in enumerate(window_levels(capture, 0.25, activated_at))
                  if level > 2 * music_level]
        return activated_at + 0.25 * louder[0] if louder else None

    # "Show controls" plays the flush effect (any line would).
    kf_e2e.hold_until("Return", lambda: effect_onset() is not None, "no effect was heard",
                      poll=0.2)
    effect_at = effect_onset()
    wait_for_capture(game, capture, effect_at + 6.5)

    asked = time.monotonic()
    game.process.terminate()
    game.wait_for_clean_exit()
    return switched_at, activated_at, effect_at, time.monotonic() - asked


def check_levels(capture, switched_at, activated_at, effect_at):
    levels = window_levels(capture)
    activation = int(activated_at / WINDOW_S)
    heard = int(effect_at / WINDOW_S)
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
    effect = max(levels[heard:heard + 5])
    print(f"with the effect ({effect_at - activated_at:.2f} s after the press): {effect:.4f}")
    check(effect > 2 * median, f"no effect over the music ({effect:.4f} vs {median:.4f})")
    after = levels[heard + 10:heard + 12]  # the 4.3 s flush is over
    check(all(level > 0.4 * median for level in after),
          f"the music does not go on after the effect: {after}")


def test():
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        capture = game.path("capture.raw")
        game.env["SDL_DISKAUDIOFILE"] = capture
        game.start()
        switched_at, activated_at, effect_at, exit_s = play_until_quit(game, capture)
        check_levels(capture, switched_at, activated_at, effect_at)
        print(f"the game ended {exit_s:.2f} s after it was asked to quit")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
