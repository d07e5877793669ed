"""The game's output as the tests hear it: the desktop game's through SDL's disk driver (a
file of every frame played), the page's through kf_browser.AUDIO_TAP (RMS readings with their
times); the levels of either in windows of a given length, the sound effects found in a
capture, and the length of one pass of the song."""

import math
import os
import struct
import subprocess
import time
import wave

import numpy

import kf_e2e
from kf_e2e import check

DEVICE_RATE = 44100  # what the game asks SDL for; the disk driver gives it
FRAME_BYTES = 4      # stereo, 16-bit
RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
SONG = os.path.join(RESOURCES, "song.mid")
# The length of the windows the music's level is judged in: several notes long.
WINDOW_S = 0.5
# Below this the output is silence (the page's analyser and the disk capture alike).
SILENT = 0.002


def wait_for_capture(game, capture, seconds, timeout=120):
    """Waits until the capture holds `seconds` of sound; the game must run meanwhile."""

    def grown():
        game.check_running("while its sound was captured")
        return capture.seconds() >= seconds

    kf_e2e.wait_until(grown, f"the capture reached {seconds:.1f} s", timeout)


def heard(levels):
    return [level for level in levels if level is not None]


def wait_for_music(game, capture, timeout=120):
    """Waits for the first half second of the capture with music in it; returns where."""
    found = []

    def sounding():
        game.check_running("while waiting for its music")
        levels = capture.levels(WINDOW_S)
        found[:] = [at for at, level in enumerate(levels) if level and level > 5 * SILENT]
        return bool(found)

    kf_e2e.wait_until(sounding, "music sounded", timeout)
    return found[0] * WINDOW_S


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


class DiskCapture:
    """The desktop game's output, written by SDL's disk driver to `path` as it plays."""

    def __init__(self, path):
        self.path = path

    def seconds(self):
        return captured_seconds(self.path)

    def levels(self, window_s, from_s=0.0):
        """RMS of the left channel (full scale 1.0) in consecutive windows from `from_s`."""
        left = read_left_channel(self.path)[int(from_s * DEVICE_RATE):]
        size = int(window_s * DEVICE_RATE)
        chunks = left[:len(left) // size * size].reshape(-1, size)
        return list(numpy.sqrt((chunks * chunks).mean(axis=1)) / 32768.0)


class PulseCapture:
    """The Windows game's output under Wine, which plays through PulseAudio: a server of the
    test's own with one null sink, recorded from the sink's monitor by parec into `path` as the
    disk driver writes its file (44.1 kHz stereo 16-bit, in real time, silence included).
    `env` is what the game needs to play to it. Started before the game, stopped after."""

    SINK = "kf_capture"

    def __init__(self, folder):
        self.path = os.path.join(folder, "capture.raw")
        runtime = os.path.join(folder, "pulse")
        os.mkdir(runtime)
        self.socket = os.path.join(runtime, "native")
        # A deep buffer, so that a busy machine does not starve the stream into gaps.
        self.env = {"PULSE_SERVER": "unix:" + self.socket, "PULSE_RUNTIME_PATH": runtime,
                    "PULSE_LATENCY_MSEC": "300",
                    "PULSE_STATE_PATH": runtime}
        self.log_path = os.path.join(folder, "pulse.log")
        self.server = self.recorder = None

    def start(self):
        env = dict(os.environ, **self.env)
        with open(self.log_path, "wb") as log:
            # -n: none of the system's configuration, only the two modules named here.
            self.server = subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                 "--use-pid-file=no",
                 f"--load=module-native-protocol-unix socket={self.socket} auth-anonymous=1",
                 f"--load=module-null-sink sink_name={self.SINK} rate={DEVICE_RATE} channels=2"],
                env=env, stdout=log, stderr=subprocess.STDOUT)

        def sink_ready():
            check(self.server.poll() is None, f"pulseaudio ended:\n{self.log()}")
            sinks = kf_e2e.run(["pactl", "list", "short", "sinks"], env=env).stdout
            return self.SINK in sinks

        kf_e2e.wait_until(sink_ready, "pulseaudio offered its null sink", timeout=60)
        with open(self.path, "wb") as out:
            self.recorder = subprocess.Popen(
                ["parec", f"--device={self.SINK}.monitor", "--format=s16le",
                 f"--rate={DEVICE_RATE}", "--channels=2", "--latency-msec=50"],
                env=env, stdout=out, stderr=subprocess.DEVNULL)
        kf_e2e.wait_until(lambda: captured_seconds(self.path) > 0.5, "parec recorded", 60)

    def log(self):
        return kf_e2e.read_log(self.log_path)

    def stop(self):
        for process in (self.recorder, self.server):
            if process is not None and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


class PageCapture:
    """The page's output from its audio context's start on: seconds are the context's. A window
    that no reading fell into (the page's main thread was held up) has the level None."""

    def __init__(self, browser):
        self.browser = browser
        self.readings = []

    def _read(self):
        self.readings += self.browser.script(
            "return (window.kfLevels || []).slice(arguments[0])", len(self.readings))

    def seconds(self):
        self._read()
        return self.readings[-1][0] if self.readings else 0.0

    def levels(self, window_s, from_s=0.0):
        self._read()
        count = max(0, int((self.seconds() - from_s) / window_s))
        squares = [[] for _ in range(count)]
        for at, rms in self.readings:
            window = math.floor((at - from_s) / window_s)
            if 0 <= window < count:
                squares[window].append(rms * rms)
        return [math.sqrt(sum(s) / len(s)) if s else None for s in squares]


def song_pass_seconds(path=SONG):
    """How long one pass of the song plays: to its last channel event (the player starts the
    next pass right after it), through the song's tempo changes."""
    with open(path, "rb") as f:
        data = f.read()
    tracks, division = struct.unpack(">HH", data[10:14])
    tempos, last = [], 0
    at = 14
    for _ in range(tracks):
        length = struct.unpack(">I", data[at + 4:at + 8])[0]
        tick, end, at, status = 0, at + 8 + length, at + 8, 0
        while at < end:
            delta, at = _varlen(data, at)
            tick += delta
            if data[at] == 0xFF:
                size, start = _varlen(data, at + 2)
                if data[at + 1] == 0x51:
                    tempos.append((tick, int.from_bytes(data[start:start + 3], "big")))
                at = start + size
            elif data[at] in (0xF0, 0xF7):
                size, start = _varlen(data, at + 1)
                at = start + size
            else:
                if data[at] & 0x80:
                    status, at = data[at], at + 1
                at += 1 if 0xC0 <= status < 0xE0 else 2
                last = max(last, tick)
    seconds, tick, tempo = 0.0, 0, 500000
    for change_tick, change in sorted(tempos) + [(last, None)]:
        seconds += (min(change_tick, last) - tick) * tempo / (1e6 * division)
        tick = min(change_tick, last)
        tempo = change or tempo
    return seconds


def _varlen(data, at):
    value = 0
    while True:
        value = (value << 7) | (data[at] & 0x7F)
        at += 1
        if not data[at - 1] & 0x80:
            return value, at
