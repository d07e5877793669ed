"""With SDL's disk audio driver the game's mixed output lands in a file (the Windows game's,
under Wine, in a recording of a PulseAudio null sink): after a menu line is activated the
capture holds the flush effect (found by cross-correlation with the embedded sound, so
background music under it does not matter)."""

import time

import numpy

import kf_e2e
from kf_e2e import check
from kf_audio import DEVICE_RATE, PulseCapture, best_match, captured_seconds, load_effect


PIECE_S = 0.5


def find_in_pieces(channel, effect, activated_at):
    """The effect found half a second at a time after the activation, each piece later than
    the one before: a stream starved for a moment puts gaps between them, which one
    correlation of the whole effect would not survive. Returns the first piece's onset and
    how many pieces were found; fails unless nearly all were."""
    piece = int(PIECE_S * DEVICE_RATE)
    after = max(0, int((activated_at - 0.5) * DEVICE_RATE))
    onsets = []
    for start in range(0, len(effect) - piece + 1, piece):
        score, at = best_match(channel[after:], effect[start:start + piece])
        if score > 0.6 and (not onsets or after + at > onsets[-1]):
            onsets.append(after + at)
    pieces = len(effect) // piece
    check(len(onsets) >= pieces - 1,
          f"only {len(onsets)} of the flush's {pieces} half seconds in the capture")
    return onsets[0] / DEVICE_RATE, len(onsets)


def test():
    capture_path = None
    pulse = None
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        capture_path = game.path("capture.raw")
        game.env["SDL_DISKAUDIOFILE"] = capture_path
        if kf_e2e.WINE:
            pulse = PulseCapture(game.folder)
            game.env.update(pulse.env)
            pulse.start()
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        # "Show controls": Down three times, then Return, which plays the flush.
        for _ in range(3):
            kf_e2e.press("Down")
        activated_at = captured_seconds(capture_path)
        kf_e2e.press("Return")
        # The capture grows in real time; wait until the whole effect (4.3 s) is in. Under
        # Wine a busy machine starves the stream now and then, which stretches the effect by
        # the gaps.
        tail_s = 12.0 if kf_e2e.WINE else 6.5
        deadline = time.monotonic() + 40 + tail_s
        while captured_seconds(capture_path) < activated_at + tail_s:
            check(time.monotonic() < deadline, "the audio capture stopped growing")
            time.sleep(0.2)
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()

        raw = numpy.fromfile(capture_path, dtype="<i2").astype(numpy.float64)
        left, right = raw[0::2], raw[1::2]
        flush = load_effect("flush")
        if kf_e2e.WINE:
            onset, found = find_in_pieces(left, flush, activated_at)
            check(find_in_pieces(right, flush, activated_at)[1] == found,
                  "the flush is not on both channels")
            print(f"flush found at {onset:.2f} s (activation at {activated_at:.2f} s), "
                  f"{found} of its half seconds in order")
            return
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
        if pulse is not None:
            pulse.stop()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
