"""With SDL's disk audio driver the game's mixed output lands in a file: after a menu line is
activated the capture holds the flush effect (found by cross-correlation with the embedded
sound, so background music under it does not matter)."""

import os
import time
import wave

import numpy

import kf_e2e
from kf_e2e import check

DEVICE_RATE = 44100  # what the game asks SDL for; the disk driver gives it
FRAME_BYTES = 4      # stereo, 16-bit


def load_effect(path):
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
        samples = numpy.frombuffer(w.readframes(w.getnframes()), dtype="<i2")
    # The game's voice resamples linearly to the device rate.
    times = numpy.arange(int(len(samples) * DEVICE_RATE / rate)) * (rate / DEVICE_RATE)
    return numpy.interp(times, numpy.arange(len(samples)), samples.astype(numpy.float64))


def best_match(capture, effect):
    """Largest normalised correlation of `effect` with any stretch of `capture`, and where."""
    n = len(capture) + len(effect)
    size = 1 << (n - 1).bit_length()
    spectrum = numpy.fft.rfft(capture, size) * numpy.conj(numpy.fft.rfft(effect, size))
    correlation = numpy.fft.irfft(spectrum, size)[:len(capture) - len(effect) + 1]
    # Energy of each capture stretch as long as the effect, for the normalisation.
    energy = numpy.concatenate(([0.0], numpy.cumsum(capture * capture)))
    stretch = energy[len(effect):] - energy[:-len(effect)]
    scale = numpy.sqrt(numpy.maximum(stretch, 1e-9) * numpy.dot(effect, effect))
    normalised = correlation / scale
    at = int(numpy.argmax(normalised))
    return float(normalised[at]), at


def captured_seconds(path):
    try:
        return os.path.getsize(path) / (FRAME_BYTES * DEVICE_RATE)
    except OSError:
        return 0.0


def test(binary):
    capture_path = None
    game = kf_e2e.Game(binary, env={"SDL_AUDIODRIVER": "disk"})
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
        status = game.wait_for_exit()
        check(status == 0, f"exit code {status}:\n{game.log()}")

        raw = numpy.fromfile(capture_path, dtype="<i2").astype(numpy.float64)
        left, right = raw[0::2], raw[1::2]
        flush = load_effect(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                         "resources", "flush.wav"))
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
