"""The page makes its six sound effects from the recipes that made the desktop's WAVE files:
each effect's samples in the page are the file's, or within one step of 16 bits where the
browser's maths library rounds the last bit of a recipe's sine or exponential otherwise."""

import os
import wave

import kf_e2e
from kf_e2e import check

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
# The effects' samples as the page holds them, by name.
PAGE_EFFECTS = """const effects = {};
for (let i = 0; Module._KfEffectName(i) !== 0; ++i) {
    let at = Module._KfEffectName(i), name = "";
    while (Module.HEAPU8[at] !== 0) { name += String.fromCharCode(Module.HEAPU8[at++]); }
    const from = Module._KfEffectSamples(i) >> 1;
    effects[name] = Array.from(Module.HEAP16.subarray(from, from + Module._KfEffectSampleCount(i)));
}
return effects;"""
NAMES = ("fart1", "fart2", "fart3", "rel", "klatschen", "flush")


def wav_samples(name):
    with wave.open(os.path.join(RESOURCES, name + ".wav"), "rb") as w:
        check(w.getframerate() == 22050 and w.getsampwidth() == 2, f"{name}.wav's format")
        data = w.readframes(w.getnframes())
    return [int.from_bytes(data[i:i + 2], "little", signed=True) for i in range(0, len(data), 2)]


def test():
    game = kf_e2e.Game()
    try:
        game.start()
        game.wait_for_picture()
        effects = game.browser.script(PAGE_EFFECTS)
        check(sorted(effects) == sorted(NAMES), f"the page's effects: {sorted(effects)}")
        for name in NAMES:
            page, wav = effects[name], wav_samples(name)
            check(len(page) == len(wav), f"{name}: {len(page)} samples in the page, "
                  f"{len(wav)} in {name}.wav")
            apart = [i for i, (a, b) in enumerate(zip(page, wav)) if a != b]
            worst = max((abs(page[i] - wav[i]) for i in apart), default=0)
            check(worst <= 1, f"{name}: sample {apart[0] if apart else 0} differs by {worst}")
            print(f"{name}: {len(wav)} samples, {len(apart)} one step apart")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
