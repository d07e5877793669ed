"""The web page's figures: the size of its .wasm and .js, raw and gzipped; the bytes the page
loads before its first menu frame and before its music plays (raw and gzipped); the time from
the start of loading the page to its first drawn menu frame in headless chromium on a first
visit, on a repeat visit (its files from the service worker) and on a visit with the server
gone; from the player's first key press to the first note of the song; the frame time of a
running game with a sausage of 100 cm and 75 particles in the test page (?bench=100); the main
thread's script time per frame in the menu and in that game (the DevTools protocol's
ScriptDuration over a counted number of frame callbacks, in a 1024 x 768 page); and
Lighthouse's scores and performance figures for the desktop and the mobile preset (npm's
lighthouse from the page's lock file, on /usr/bin/chromium). A measurement, not a test: it
prints figures and asserts nothing about them.
    /usr/bin/python3 bench/web/web_bench.py [PAGE_FOLDER [TEST_PAGE_FOLDER]]   (make bench-web)"""

import gzip
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "e2e"))
import kf_browser  # noqa: E402

LOADS = 5
BENCH_LENGTH_CM = 100
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
LIGHTHOUSE = os.path.join(ROOT, "build", "npm", "node_modules", ".bin", "lighthouse")
LIGHTHOUSE_METRICS = ("first-contentful-paint", "largest-contentful-paint", "speed-index",
                      "total-blocking-time", "cumulative-layout-shift", "interactive")


def sizes(folder):
    for name in ("kesselfass3d.wasm", "kesselfass3d.js"):
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        print(f"{name}: {len(data)} bytes, gzip -9 {len(gzip.compress(data, 9))} bytes")


def to_menu(browser):
    """The ms from navigation to the first drawn menu frame, as the page's clock counts them."""
    browser.wait_for_mark("drawn", what="the first menu frame")
    return float(browser.mark("drawnMs"))


def worker_ready(browser, timeout=120):
    """Waits until the page's service worker has stored the page and serves it."""
    deadline = time.monotonic() + timeout
    while not browser.script("return navigator.serviceWorker.controller !== null"):
        if time.monotonic() > deadline:
            raise kf_browser.BrowserFailure("no service worker in control of the page")
        time.sleep(0.2)


def load_to_menu(folder):
    """Medians over fresh browsers (no cache, empty storage) of the ms to the first drawn menu
    frame: on the first visit, on the next (the files from the service worker), and on one
    after that with the page's server stopped."""
    times = {"first visit": [], "repeat visit": [], "offline visit": []}
    for _ in range(LOADS):
        server = kf_browser.PageServer(folder)
        browser = kf_browser.Browser()
        try:
            browser.open(server.url)
            times["first visit"].append(to_menu(browser))
            worker_ready(browser)
            browser.reload()
            times["repeat visit"].append(to_menu(browser))
            server.stop()
            browser.reload()
            times["offline visit"].append(to_menu(browser))
        finally:
            browser.quit()
            server.stop()
    for what, values in times.items():
        print(f"load to first menu frame, {what}: median {statistics.median(values):.0f} ms "
              f"(of {LOADS}: {', '.join(f'{t:.0f}' for t in values)})")


def lighthouse(server):
    """Lighthouse's category scores and performance figures, desktop and mobile presets."""
    if not os.path.exists(LIGHTHOUSE):
        print(f"lighthouse: not found at {LIGHTHOUSE} (scripts/build-web.sh installs it)")
        return
    flags = " ".join(arg for arg in kf_browser.CHROMIUM_ARGS if not arg.startswith("--window"))
    for preset in ("desktop", "mobile"):
        with tempfile.TemporaryDirectory(prefix="kf_lighthouse_") as folder:
            report = os.path.join(folder, "report.json")
            command = [LIGHTHOUSE, server.url, "--quiet", "--output=json",
                       f"--output-path={report}", f"--chrome-flags={flags}",
                       "--only-categories=performance,accessibility,best-practices"]
            if preset == "desktop":
                command.append("--preset=desktop")
            env = dict(os.environ, CHROME_PATH=kf_browser.CHROMIUM)
            done = subprocess.run(command, env=env, capture_output=True, text=True,
                                  timeout=600)
            if done.returncode != 0 or not os.path.exists(report):
                print(f"lighthouse {preset}: failed ({done.returncode}): {done.stderr[-800:]}")
                continue
            with open(report) as f:
                result = json.load(f)
        scores = ", ".join(f"{key} {value['score']}" for key, value in
                           result["categories"].items())
        figures = ", ".join(f"{name} {result['audits'][name]['displayValue']}"
                            for name in LIGHTHOUSE_METRICS
                            if result["audits"].get(name, {}).get("displayValue"))
        print(f"lighthouse {preset}: {scores}; {figures}")
        for category in ("accessibility", "best-practices"):
            for ref in result["categories"][category]["auditRefs"]:
                audit = result["audits"][ref["id"]]
                if ref["weight"] > 0 and audit.get("score") is not None and audit["score"] < 1:
                    print(f"  {category}: {ref['id']}: {audit['title']}")


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
    load_to_menu(folder)
    server = kf_browser.PageServer(folder)
    try:
        to_first_note(server, folder)
        lighthouse(server)
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
