"""The real game's music, heard where it leaves the game (the desktop's through SDL's disk audio
driver, the page's through an analyser on its audio output): after a first key press (the page
may sound only after one) the music holds a steady level, keeps it across F1 in and out (a
window made anew; in the page, fullscreen and back), carries a menu sound effect mixed over it
and goes on after the effect. The desktop game then still ends promptly when asked to quit: the
quit comes as SIGTERM, which SDL turns into the same quit event as closing the window, without
depending on a key press reaching the menu on a busy machine."""

import math
import time

import kf_e2e
from kf_audio import (WINDOW_S, DiskCapture, PageCapture, heard, wait_for_capture,
                      wait_for_music)
from kf_e2e import check


def start_listening(game):
    """Starts the game with its output captured; returns the capture."""
    if kf_e2e.BROWSER:
        game.start()
        return PageCapture(game.browser)
    capture = DiskCapture(game.path("capture.raw"))
    game.env["SDL_DISKAUDIOFILE"] = capture.path
    game.start()
    return capture


def play_until_quit(game, capture):
    """Drives the game; returns where the music began, where the window switches and the
    effect fell in the capture and, on the desktop, how long the game took to end."""
    window = game.wait_for_window()
    game.wait_for_picture()
    # Left does nothing in the menu; in the page it is the gesture that lets the audio start.
    kf_e2e.press("Left")
    onset = wait_for_music(game, capture)
    wait_for_capture(game, capture, onset + 3.0)

    # F1 makes the window anew (in the page: fullscreen), F1 again back; the music must not
    # notice either.
    window = kf_e2e.switch_mode(game, window, "F1")
    switched_at = capture.seconds()
    window = kf_e2e.switch_mode(game, window, "F1 again")
    wait_for_capture(game, capture, capture.seconds() + 3.0)

    for _ in range(3):
        kf_e2e.press("Down")
    music_level = heard(capture.levels(2.0, capture.seconds() - 2.0))[0]
    activated_at = capture.seconds()

    def effect_onset():
        """Where the first 0.25 s louder than twice the music begins after the press; the
        capture keeps all it heard, so a slow look misses nothing."""
        louder = [at for at, level in enumerate(capture.levels(0.25, activated_at))
                  if level is not None and level > 2 * music_level]
        return activated_at + 0.25 * louder[0] if louder else None

    # "Show controls" plays the flush effect (any line would).
    kf_e2e.hold_until("Return", lambda: effect_onset() is not None, "no effect was heard",
                      poll=0.2)
    effect_at = effect_onset()
    wait_for_capture(game, capture, effect_at + 6.5)

    if kf_e2e.BROWSER:
        kf_e2e.close_window(window)
        return onset, switched_at, activated_at, effect_at, None
    asked = time.monotonic()
    game.process.terminate()
    game.wait_for_clean_exit()
    return onset, switched_at, activated_at, effect_at, time.monotonic() - asked


def check_levels(levels, onset, switched_at, activated_at, effect_at):
    """`levels`: the whole capture's in WINDOW_S windows."""
    steady_from = math.ceil(onset / WINDOW_S) + 1
    activation = int(activated_at / WINDOW_S)
    heard_at = int(effect_at / WINDOW_S)
    music = sorted(heard(levels[steady_from:activation]))
    check(len(music) > 0.7 * (activation - steady_from),
          f"too few readings of the music: {len(music)} of {activation - steady_from}")
    median = music[len(music) // 2]
    print(f"music from {onset:.1f} s: level (RMS, 0.5 s windows before the effect) min "
          f"{music[0]:.4f}, median {median:.4f}, max {music[-1]:.4f}; F1 at {switched_at:.1f} s")
    check(median > 0.01, f"no music in the capture (median level {median:.4f})")
    # From the first whole window after the onset the level holds steady.
    for at, level in enumerate(levels[:activation]):
        if at >= steady_from and level is not None:
            check(0.4 * median < level < 2.5 * median,
                  f"music level {level:.4f} at {at * WINDOW_S:.1f} s strays from {median:.4f}")
    effect = max(heard(levels[heard_at:heard_at + 5]))
    print(f"with the effect ({effect_at - activated_at:.2f} s after the press): {effect:.4f}")
    check(effect > 2 * median, f"no effect over the music ({effect:.4f} vs {median:.4f})")
    after = heard(levels[heard_at + 10:heard_at + 12])  # the 4.3 s flush is over
    check(after and all(level > 0.4 * median for level in after),
          f"the music does not go on after the effect: {after}")


def test():
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        capture = start_listening(game)
        onset, switched_at, activated_at, effect_at, exit_s = play_until_quit(game, capture)
        check_levels(capture.levels(WINDOW_S), onset, switched_at, activated_at, effect_at)
        if exit_s is not None:
            print(f"the game ended {exit_s:.2f} s after it was asked to quit")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
