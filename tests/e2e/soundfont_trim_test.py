"""The page's SoundFont is the full one trimmed to the song: the command-line FluidSynth
renders the whole song from each, with the Linux game's gain and rate, and the two renders
must be the same samples. A trim that dropped or changed a sample a note of the song uses
would sound different here.
    soundfont_trim_test.py FULL.sf2 TRIMMED.sf2 SONG.mid"""

import os
import subprocess
import sys
import tempfile
import wave

FLUIDSYNTH = "/usr/bin/fluidsynth"


def render(soundfont, song, folder):
    out = os.path.join(folder, os.path.basename(soundfont) + ".wav")
    subprocess.run([FLUIDSYNTH, "-ni", "-g", "0.5", "-r", "44100", "-F", out, soundfont, song],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=600)
    with wave.open(out, "rb") as w:
        return w.readframes(w.getnframes())


def main():
    full, trimmed, song = sys.argv[1:4]
    if not os.path.exists(FLUIDSYNTH):
        print(f"FAIL: {FLUIDSYNTH} is missing (scripts/install-deps.sh --test)")
        return 1
    full_size, trimmed_size = os.path.getsize(full), os.path.getsize(trimmed)
    if trimmed_size >= full_size:
        print(f"FAIL: the trimmed SoundFont ({trimmed_size} bytes) is not smaller")
        return 1
    with tempfile.TemporaryDirectory(prefix="kf_sftrim_") as folder:
        os.symlink(os.path.abspath(trimmed), os.path.join(folder, "trimmed.sf2"))
        a = render(full, song, folder)
        b = render(os.path.join(folder, "trimmed.sf2"), song, folder)
    if not any(a[i] for i in range(0, len(a), 97)):
        print("FAIL: the full SoundFont's render is silent")
        return 1
    if a != b:
        first = next(i for i in range(min(len(a), len(b))) if a[i] != b[i]) \
            if any(x != y for x, y in zip(a, b)) else min(len(a), len(b))
        print(f"FAIL: the renders differ ({len(a)} and {len(b)} bytes, first at byte {first})")
        return 1
    print(f"PASS: the song renders the same from {full_size} bytes and from {trimmed_size}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
