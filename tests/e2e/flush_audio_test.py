"""With SDL's disk audio driver the game's mixed output lands in a file: after a menu line is
activated the capture holds the flush effect (found by cross-correlation with the embedded
sound, so background music under it does not matter)."""

import time

import numpy

import kf_e2e
from kf_e2e import check
from kf_audio import DEVICE_RATE, best_match, captured_seconds, load_effect


def test():
    capture_path = None
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        capture_path = game.path("capture.raw")
        game.env["SDL_DISKAUDIOFILE"] = capture_path
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        # "Show controls": Down three times, then Return, which plays the flush.
        for _ in range(3):
            kf_e2e.press("Down")
        activated_at = captured_seconds(capture_path)
        kf_e2e.press("Return")
        # The disk driver writes in real time; wait until the whole effect (4.3 s) is in.
        deadline = time.monotonic() + 40
        while captured_seconds(capture_path) < activated_at + 6.5:
            check(time.monotonic() < deadline, "the audio capture stopped growing")
            time.sleep(0.2)
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()

        raw = numpy.fromfile(capture_path, dtype="<i2").astype(numpy.float64)
        left, right = raw[0::2], raw[1::2]
        flush = load_effect("flush")
        score, at = best_match(left, flush)
        check(score > 0.6, f"no flush in the capture (best correlation {score:.2f})")
        onset = at / DEVICE_RATE
        check(onset >= activated_at - 0.5,
              f"flush at {onset:.2f} s, before the activation at {activated_at:.2f} s")
        check(numpy.array_equal(left[at:at + len(flush)], right[at:at + len(flush)]) or
              best_match(right, flush)[0] > 0.6, "the flush is not on both channels")
        print(f"flush found at {onset:.2f} s (activation at {activated_at:.2f} s), "
              f"correlation {score:.3f}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
