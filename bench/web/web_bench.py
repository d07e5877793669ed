"""The web page's figures: the size of its .wasm and .js, raw and gzipped; the bytes the page
loads before its first menu frame and before its music plays (raw and gzipped); the time from
the start of loading the page to its first drawn menu frame in headless chromium, and from the
player's first key press to the first note of the song; the frame time of a running game with
a sausage of 100 cm and 75 particles in the test page (?bench=100); the main thread's script
time per frame in the menu and in that game (the DevTools protocol's ScriptDuration over a
counted number of frame callbacks, in a 1024 x 768 page). A measurement, not a test:
it prints figures and asserts nothing about them.
    /usr/bin/python3 bench/web/web_bench.py [PAGE_FOLDER [TEST_PAGE_FOLDER]]   (make bench-web)"""

import gzip
import json
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "e2e"))
import kf_browser  # noqa: E402

LOADS = 5
BENCH_LENGTH_CM = 100


def sizes(folder):
    for name in ("kesselfass3d.wasm", "kesselfass3d.js"):
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        print(f"{name}: {len(data)} bytes, gzip -9 {len(gzip.compress(data, 9))} bytes")


def load_to_menu(server):
    """Median over fresh browsers (no cache, empty storage) of the ms from navigation to the
    first drawn menu frame, as the page's performance clock counts them."""
    times = []
    for _ in range(LOADS):
        browser = kf_browser.Browser()
        try:
            browser.open(server.url)
            browser.wait_for_mark("drawn", what="the first menu frame")
            times.append(float(browser.mark("drawnMs")))
        finally:
            browser.quit()
    print(f"load to first menu frame: median {statistics.median(times):.0f} ms "
          f"(of {LOADS}: {', '.join(f'{t:.0f}' for t in times)})")


# Files fetched from outside the page's own document (the audio worklet's scripts) do not show
# in its resource timing; these are what the page's sound adds to a worklet.
WORKLET_FILES = ("libfluidsynth-2.4.6.js", "js-synthesizer.worklet.min.js", "music_worklet.js")


def fetched(browser):
    """The names of the page's files the browser has fetched so far (the page itself too)."""
    names = browser.script("""return [location.pathname].concat(
        performance.getEntriesByType("resource").map(e => new URL(e.name).pathname))""")
    return {name.rsplit("/", 1)[-1] or "index.html" for name in names}


def bytes_of(folder, names):
    raw = packed = 0
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        raw += len(data)
        packed += len(gzip.compress(data, 9))
    return raw, packed


def to_first_note(server, folder):
    """What the page loads before its menu and before its music, and the median over fresh
    browsers of the ms from the first key press to the first note the synthesizer renders."""
    times = []
    for _ in range(LOADS):
        browser = kf_browser.Browser(scripts=(kf_browser.AUDIO_TAP,))
        try:
            browser.open(server.url)
            browser.wait_for_mark("drawn", what="the first menu frame")
            before_menu = fetched(browser)
            browser.key("Left", True)
            browser.key("Left", False)
            browser.wait_for_mark("note", what="the first note")
            before_music = fetched(browser) | set(WORKLET_FILES)
            times.append(float(browser.mark("noteMs")) - float(browser.mark("gestureMs")))
        finally:
            browser.quit()
    for what, names in (("before the menu", before_menu), ("before the music", before_music)):
        raw, packed = bytes_of(folder, sorted(names))
        print(f"loaded {what}: {raw} bytes, gzip -9 {packed} bytes ({', '.join(sorted(names))})")
    print(f"first key press to the first note: median {statistics.median(times):.0f} ms "
          f"(of {LOADS}: {', '.join(f'{t:.0f}' for t in times)})")


def frame_time(server):
    browser = kf_browser.Browser()
    try:
        browser.open(f"{server.url}?bench={BENCH_LENGTH_CM}")
        browser.wait_for_mark("bench", timeout=600, what="the frame-time results")
        results = json.loads(browser.mark("bench"))
    finally:
        browser.quit()
    print(f"frame at {BENCH_LENGTH_CM} cm, 75 particles: drawing to the GPU's finish median "
          f"{results['drawMedianMs']:.1f} ms, frame callbacks every "
          f"{results['frameIntervalMedianMs']:.1f} ms (median of {results['frames']} frames)")


SCRIPT_SECONDS = 8


def script_per_frame(browser):
    """The main thread's script time per frame callback over SCRIPT_SECONDS, in ms."""
    browser.driver.execute_cdp_cmd("Performance.enable", {})

    def reading():
        metrics = browser.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
        return {m["name"]: m["value"] for m in metrics}["ScriptDuration"], browser.frames()

    script_before, frames_before = reading()
    time.sleep(SCRIPT_SECONDS)
    script_after, frames_after = reading()
    frames = max(1, frames_after - frames_before)
    return 1000.0 * (script_after - script_before) / frames, frames


def script_time(server, test_server):
    # The test page's measure goes on drawing its game once its timed frames are done.
    for what, url, mark in (("the menu", server.url, "drawn"),
                            (f"a game at {BENCH_LENGTH_CM} cm",
                             f"{test_server.url}?bench={BENCH_LENGTH_CM}", "bench")):
        browser = kf_browser.Browser(keep_drawing=False)
        try:
            browser.open(url)
            browser.wait_for_mark(mark, timeout=600, what=f"{what} drawn")
            time.sleep(3)
            per_frame, frames = script_per_frame(browser)
        finally:
            browser.quit()
        print(f"main-thread script time per frame in {what}: {per_frame:.2f} ms "
              f"(over {frames} frames)")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "build/web"
    test_folder = sys.argv[2] if len(sys.argv) > 2 else "build/web-test"
    sizes(folder)
    server = kf_browser.PageServer(folder)
    try:
        load_to_menu(server)
        to_first_note(server, folder)
    finally:
        server.stop()
    # The frame-time measure is the test page's; the shipped page has no such mode.
    test_server = kf_browser.PageServer(test_folder)
    try:
        frame_time(test_server)
        server = kf_browser.PageServer(folder)
        try:
            script_time(server, test_server)
        finally:
            server.stop()
    finally:
        test_server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
