"""The game in a browser: the web page (build/web/, from `make web`) served from 127.0.0.1 on a
free port by scripts/serve-web.py, and Debian's chromium, headless, driven through
chromium-driver and selenium. Used by the end-to-end scenarios for the browser kind of game and
by the web benchmark.

The page tells what it is doing through marks on its body (page.js): `drawn` once the first
menu frame is drawn, `shot` once a ?shot=NAME picture is drawn, `ended` once "Quit game" has
ended the game; `bench` holds the frame-time measure's results. Keys go through WebDriver's
key actions, which the browser delivers as a person's key presses (trusted events, with the
`key` and `code` of a real keyboard); fingers through the DevTools protocol's touch events, on
a page that emulates a phone or tablet (emulate_device). The page draws without keeping its
drawing buffer; the tests ask the browser to keep it (PRESERVE_DRAWING), so that the canvas's
pixels can be read at any time.

Every wait has a generous deadline; each browser has a profile folder of its own, which holds
the page's stored table between a page and its reload."""

import base64
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SERVER = os.path.join(ROOT, "scripts", "serve-web.py")
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# WebGL in a headless chromium without a GPU: SwiftShader through ANGLE.
CHROMIUM_ARGS = ["--headless=new", "--no-sandbox", "--use-angle=swiftshader",
                 "--enable-unsafe-swiftshader", "--disable-gpu-sandbox", "--mute-audio",
                 "--no-first-run", "--no-default-browser-check", "--disable-extensions",
                 "--window-size=1024,768"]
# Makes the browser refuse the page its storage, as a private window or a full disk does.
# A browser without WebGL, as on a machine whose graphics the browser does not trust.
NO_WEBGL_ARGS = ("--disable-3d-apis", "--disable-webgl")
REFUSE_STORAGE = """Object.defineProperty(window, "indexedDB", {get() {
    throw new DOMException("The user denied permission to access the database.",
                           "SecurityError");
}});"""


# What the page plays, heard where it leaves: every AudioContext's destination becomes a node
# that passes to the real one and feeds an analyser, whose RMS over its last 2048 frames is
# kept in window.kfLevels as [context seconds, RMS] about every 40 ms (gaps where the page's
# main thread is held up; the readings keep their times). window.kfAudio is the context.
AUDIO_TAP = """(function () {
    if (typeof AudioContext !== "function") { return; }
    const realDestination =
        Object.getOwnPropertyDescriptor(BaseAudioContext.prototype, "destination").get;
    window.kfLevels = [];
    window.AudioContext = class extends AudioContext {
        constructor(options) {
            super(options);
            const tap = new GainNode(this);
            tap.connect(realDestination.call(this));
            const analyser = new AnalyserNode(this, {fftSize: 2048});
            tap.connect(analyser);
            Object.defineProperty(this, "destination", {value: tap});
            window.kfAudio = this;
            const data = new Float32Array(analyser.fftSize);
            const timer = setInterval(() => {
                if (this.state === "closed") { clearInterval(timer); return; }
                if (this.state !== "running") { return; }
                analyser.getFloatTimeDomainData(data);
                let sum = 0;
                for (const value of data) { sum += value * value; }
                window.kfLevels.push([this.currentTime, Math.sqrt(sum / data.length)]);
            }, 40);
        }
    };
})();"""


# The tests read the canvas between frames: every WebGL context keeps its drawing buffer.
PRESERVE_DRAWING = """(function () {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind, attributes) {
        if (kind === "webgl" || kind === "experimental-webgl") {
            attributes = Object.assign({}, attributes, {preserveDrawingBuffer: true});
        }
        return getContext.call(this, kind, attributes);
    };
})();"""


# A gamepad the tests hold: the Gamepad API's first pad, plugged in and its buttons pressed
# through window.kfPad (see Gamepad).
FAKE_GAMEPAD = """window.kfPad = {id: "Kesselfass test pad", index: 0, connected: false,
    mapping: "standard", timestamp: 0, axes: [0, 0, 0, 0],
    buttons: Array.from({length: 16}, () => ({pressed: false, touched: false, value: 0}))};
navigator.getGamepads = function () {
    return [window.kfPad.connected ? window.kfPad : null, null, null, null];
};"""


class BrowserFailure(Exception):
    pass


def _webdriver():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.options import Options
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        raise BrowserFailure("selenium is missing (run with /usr/bin/python3; "
                             "scripts/install-deps.sh --test installs python3-selenium)")
    return webdriver, Options, Service


class PageServer:
    """scripts/serve-web.py on a free port of 127.0.0.1, serving `folder`."""

    def __init__(self, folder):
        if not os.path.isfile(os.path.join(folder, "kesselfass3d.wasm")):
            raise BrowserFailure(f"no web page in {folder}: make web builds it")
        self.process = subprocess.Popen([sys.executable, SERVER, "--port", "0", folder],
                                        stdout=subprocess.PIPE, text=True)
        self.url = self.process.stdout.readline().strip()
        if not self.url.startswith("http://127.0.0.1:"):
            self.stop()
            raise BrowserFailure(f"the page server did not start: {self.url!r}")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=30)


class Browser:
    """One headless chromium with a profile of its own; `refuse_storage` makes it refuse the
    page's storage; `keep_drawing` keeps the canvas's drawing buffer for the tests to read (a
    measurement of what a player's browser does goes without)."""

    def __init__(self, refuse_storage=False, width=1024, height=768, extra_args=(), scripts=(),
                 keep_drawing=True):
        for program in (CHROMIUM, CHROMEDRIVER):
            if not os.path.exists(program):
                raise BrowserFailure(f"{program} is missing: scripts/install-deps.sh --test")
        webdriver, Options, Service = _webdriver()
        self.profile = tempfile.mkdtemp(prefix="kf_browser_")
        options = Options()
        options.binary_location = CHROMIUM
        for argument in CHROMIUM_ARGS:
            options.add_argument(argument)
        options.add_argument(f"--user-data-dir={self.profile}")
        for argument in extra_args:
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.console = []
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        # The page's viewport exactly as large as the desktop's screen, so that the canvas has
        # the desktop's picture size and its text lies where the desktop's does.
        self.resize(width, height)
        for source in (((PRESERVE_DRAWING,) if keep_drawing else ()) +
                       ((REFUSE_STORAGE,) if refuse_storage else ()) + tuple(scripts)):
            self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                        {"source": source})
        self._count_frames()

    def _count_frames(self):
        # The game draws once in every frame callback; counting the callbacks counts frames.
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            window.kfFrames = 0;
            (function count() { window.kfFrames++; requestAnimationFrame(count); })();"""})

    def resize(self, width, height):
        """Makes the page's viewport `width` x `height` pixels, as resizing the window does."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def emulate_device(self, width, height, scale):
        """Makes the page a phone's or tablet's: a `width` x `height` CSS-pixel viewport at
        `scale` device pixels per CSS pixel, with a touch screen."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": scale, "mobile": True})
        self.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                                    {"enabled": True, "maxTouchPoints": 5})

    def touch(self, kind, points):
        """One touch event: `kind` "touchStart", "touchMove", "touchEnd" or "touchCancel";
        `points` the fingers that are down after it, as (id, x, y) in CSS pixels."""
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
            "type": kind,
            "touchPoints": [{"x": x, "y": y, "id": finger} for finger, x, y in points]})

    def key_event(self, down, key, code, virtual_key):
        """A key as a keyboard of another layout sends it: `key` what it types, `code` where it
        sits (a Russian keyboard's "ф" is key "ф", code "KeyA")."""
        event = {"type": "keyDown" if down else "keyUp", "key": key, "code": code,
                 "windowsVirtualKeyCode": virtual_key, "nativeVirtualKeyCode": virtual_key}
        if down and len(key) == 1:
            event["text"] = key
        self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", event)

    def insert_text(self, text):
        """Text as a device's on-screen keyboard types it into the focused input."""
        self.driver.execute_cdp_cmd("Input.insertText", {"text": text})

    def canvas_size(self):
        """The canvas's (width, height) in pixels, or None without a canvas."""
        size = self.script("const c = document.getElementById('canvas');"
                           "return c ? [c.width, c.height] : null")
        return tuple(size) if size else None

    def open(self, url):
        self.driver.get(url)

    def reload(self):
        self.driver.refresh()

    def script(self, source, *args):
        return self.driver.execute_script(source, *args)

    def mark(self, name):
        """The mark `name` on the page's body ("drawn", "shot", "ended"), or None."""
        return self.script(f"return document.body.dataset.{name} || null")

    def wait_for_mark(self, name, timeout=120, what=None):
        deadline = time.monotonic() + timeout
        while self.mark(name) is None:
            if time.monotonic() > deadline:
                raise BrowserFailure(f"no {what or name} within {timeout} s:\n{self.log()}")
            time.sleep(0.1)

    def frames(self):
        return self.script("return window.kfFrames || 0")

    def key(self, name, down):
        """Key down (True) or up (False); `name` an X keysym name ("a", "Return", "F1")."""
        from selenium.webdriver.common.action_chains import ActionChains
        key = selenium_key(name)
        chain = ActionChains(self.driver)
        (chain.key_down(key) if down else chain.key_up(key)).perform()

    def canvas_png(self, path):
        """Writes the canvas's pixels as a PNG file; False where there is no canvas."""
        data = self.script("const c = document.getElementById('canvas');"
                           "return c ? c.toDataURL('image/png') : null")
        if data is None:
            return False
        with open(path, "wb") as f:
            f.write(base64.b64decode(data.split(",", 1)[1]))
        return True

    def canvas_brightness(self):
        """The mean of the canvas's pixels, 0 to 1; 0 without a canvas."""
        return self.script("""
            const c = document.getElementById('canvas');
            if (!c) { return 0; }
            const copy = document.createElement('canvas');
            copy.width = 64; copy.height = 48;
            const g = copy.getContext('2d');
            g.drawImage(c, 0, 0, 64, 48);
            const d = g.getImageData(0, 0, 64, 48).data;
            let sum = 0;
            for (let i = 0; i < d.length; i += 4) { sum += d[i] + d[i + 1] + d[i + 2]; }
            return sum / (64 * 48 * 3 * 255);""")

    def notice(self):
        """The page's notice line, or None while it is hidden."""
        return self.script("const n = document.getElementById('notice');"
                           "return n.hidden ? null : n.textContent")

    def boxes(self):
        """The texts of the boxes the page shows, as (caption, text) pairs."""
        return [tuple(pair) for pair in self.script(
            "return Array.from(document.querySelectorAll('#boxes .box'))"
            ".map(b => [b.querySelector('h2').textContent, b.querySelector('p').textContent])")]

    def is_fullscreen(self):
        return self.script("return document.fullscreenElement !== null")

    def read_stored(self, name):
        """The bytes of file `name` in the page's stored folder, or None."""
        data = self.script("""
            try { return Array.from(Module.FS.readFile('/kesselfass/' + arguments[0])); }
            catch (e) { return null; }""", name)
        return None if data is None else bytes(data)

    def log(self):
        """What the page wrote to the console so far."""
        try:
            self.console += [entry["message"] for entry in self.driver.get_log("browser")]
        except Exception:
            pass
        return "\n".join(self.console[-40:])

    def quit(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)


# X keysym names, as the scenarios name keys, to WebDriver's keys.
_NAMED_KEYS = {"Return": "ENTER", "BackSpace": "BACKSPACE", "Escape": "ESCAPE",
               "space": "SPACE", "Left": "ARROW_LEFT", "Right": "ARROW_RIGHT", "Up": "ARROW_UP",
               "Down": "ARROW_DOWN", "Delete": "DELETE", "F1": "F1", "F4": "F4",
               "KP_Enter": "ENTER"}


def selenium_key(name):
    from selenium.webdriver.common.keys import Keys
    if name in _NAMED_KEYS:
        return getattr(Keys, _NAMED_KEYS[name])
    if len(name) == 1:
        return name
    raise BrowserFailure(f"no browser key for {name!r}")


class Gamepad:
    """The page's first gamepad, held by the test (the browser was made with FAKE_GAMEPAD)."""

    def __init__(self, browser):
        self.browser = browser

    def plug(self, connected=True):
        self.browser.script("window.kfPad.connected = arguments[0]; window.kfPad.timestamp++;",
                            connected)

    def button(self, number, down):
        """Button `number` ("1" to "4", as the joystick's) down (True) or up (False)."""
        self.browser.script("""const b = window.kfPad.buttons[arguments[0]];
            b.pressed = arguments[1]; b.touched = arguments[1]; b.value = arguments[1] ? 1 : 0;
            window.kfPad.timestamp++;""", int(number) - 1, down)
