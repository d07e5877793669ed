"""Finding the game's sound effects in audio captured through SDL's disk driver."""

import os
import time
import wave

import numpy

from kf_e2e import check

DEVICE_RATE = 44100  # what the game asks SDL for; the disk driver gives it
FRAME_BYTES = 4      # stereo, 16-bit
RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")


def load_effect(name):
    """The effect as the game's voice plays it at the device rate."""
    with wave.open(os.path.join(RESOURCES, name + ".wav"), "rb") as w:
        rate = w.getframerate()
        samples = numpy.frombuffer(w.readframes(w.getnframes()), dtype="<i2")
    # The game's voice resamples linearly to the device rate.
    times = numpy.arange(int(len(samples) * DEVICE_RATE / rate)) * (rate / DEVICE_RATE)
    return numpy.interp(times, numpy.arange(len(samples)), samples.astype(numpy.float64))


def best_match(capture, effect):
    """Largest normalised correlation of `effect` with any stretch of `capture`, and where."""
    if len(capture) < len(effect):
        return 0.0, 0
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


def read_left_channel(path):
    raw = numpy.fromfile(path, dtype="<i2").astype(numpy.float64)
    return raw[0::2]


def wait_for_effect(path, effect, what, after_s, timeout, game):
    """Waits until `effect` sounds in the capture at `path` later than `after_s` seconds into
    it; returns its onset in seconds. Looks every two seconds: each look is an FFT of the
    whole stretch, and the game needs the machine meanwhile."""
    deadline = time.monotonic() + timeout
    while True:
        check(game.process.poll() is None, f"the game ended before {what}:\n{game.log()}")
        stretch = read_left_channel(path)[int(after_s * DEVICE_RATE):]
        score, at = best_match(stretch, effect)
        if score > 0.6:
            return after_s + at / DEVICE_RATE
        check(time.monotonic() < deadline,
              f"no {what} within {timeout} s (best correlation {score:.2f})")
        time.sleep(2.0)
