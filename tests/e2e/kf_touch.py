"""Fingers on the page as a phone's player uses them: where the lines of the menu screens are in
a page of any shape (worked out here from the text plane the game draws on, independently of the
game's own hit test), taps held long enough for a 40 ms tick to see them, and whether a
screenshot's text reaches the canvas's edges (text that the view cuts off)."""

import math
import time

import kf_e2e
from kf_e2e import check, run

# Upright and sideways phones (CSS pixels, device pixels per CSS pixel) and a tablet.
PHONE_UPRIGHT = (390, 844, 3)
PHONE_SIDEWAYS = (844, 390, 3)
TABLET_UPRIGHT = (820, 1180, 2)

# The text plane (eye-space z = -1) that a 4:3 view shows is 2 x tan(37.5 degrees) high; a view
# narrower than 4:3 shows the same width and more height.
_HALF_HEIGHT_4_3 = math.tan(math.radians(37.5))
# Where a line's letters are: a little inside its start, halfway up its capitals.
_LINE_START_X = -0.62
_LETTER_MIDDLE = 0.018
# The game's tick.
TICK_S = 0.04


def plane_to_page(x, y, width, height):
    """The page point (CSS pixels) that shows the text plane's point (x, y)."""
    aspect = width / height
    half_height = _HALF_HEIGHT_4_3 * max(1.0, (4.0 / 3.0) / aspect)
    half_width = half_height * aspect
    return ((x / half_width + 1.0) / 2.0 * width, (1.0 - y / half_height) / 2.0 * height)


def line_point(line, width, height):
    """The page point on selectable line `line` (0 at the top) of a menu screen."""
    return plane_to_page(_LINE_START_X, 0.3 - 0.1 * line + _LETTER_MIDDLE, width, height)


class Fingers:
    """The fingers of one page, each with an id of its own."""

    def __init__(self, browser, width, height):
        self.browser = browser
        self.width = width
        self.height = height
        self.down = {}

    def put(self, x, y):
        """A finger goes down at (x, y); returns its id, the lowest that no finger down has
        (the browser takes a handful of touch points at a time, as a screen does)."""
        finger = min(set(range(len(self.down) + 1)) - set(self.down))
        self.down[finger] = (x, y)
        self._send("touchStart")
        return finger

    def lift(self, finger):
        # A touch's end names the points that lift; the others stay down.
        x, y = self.down.pop(finger)
        self.browser.touch("touchEnd", [(finger, x, y)])

    def _send(self, kind):
        self.browser.touch(kind, [(f, x, y) for f, (x, y) in self.down.items()])

    def hold(self, frames=kf_e2e.KEY_HOLD_FRAMES, seconds=0.1):
        """Waits as a finger stays down: `seconds` and until `frames` frames were drawn."""
        first = kf_e2e.drawn_frames()
        start = time.monotonic()
        while (time.monotonic() - start < seconds or kf_e2e.drawn_frames() - first < frames) \
                and time.monotonic() - start < kf_e2e.KEY_HOLD_MAX_S:
            time.sleep(0.01)

    def hold_past_a_tick(self):
        """Waits until a tick of the game has surely seen the fingers as they are now: a tick's
        time and a little more, then a frame begun after that (a frame takes the events that
        came before it, then runs every tick that has come due). A frame alone is not enough:
        a page drawing at 60 Hz runs a tick in only every second or third one."""
        time.sleep(TICK_S * 1.25)
        kf_e2e.wait_for_frames(1)

    def tap(self, x, y):
        finger = self.put(x, y)
        self.hold()
        self.lift(finger)
        kf_e2e.wait_for_frames(2)

    def tap_line(self, line):
        self.tap(*line_point(line, self.width, self.height))

    def half(self, side):
        """A point in the middle of the page's left ("a") or right ("l") half."""
        return (self.width * (0.25 if side == "a" else 0.75), self.height * 0.6)


def text_at_sides(path):
    """Whether white text pixels lie in the three outermost columns of the screenshot."""
    for gravity in ("West", "East"):
        reading = run(["convert", path, "-gravity", gravity, "-crop", "3x100%+0+0", "+repage",
                       "-channel", "RGB", "-separate", "-evaluate-sequence", "min",
                       "-format", "%[fx:maxima]", "info:"], timeout=60)
        check(reading.returncode == 0, f"convert failed on {path}: {reading.stderr}")
        if float(reading.stdout.strip() or 0) >= 0.998:
            return True
    return False


def pump(fingers, done, steps=200):
    """Thumbs on the left and right halves in turn, each going down before the other lifts,
    until `done()` (asked every 20 steps) holds or `steps` touches were made. Each thumb stays
    alone on the screen until a tick has counted it, so every step is a press, however slowly
    a busy machine draws."""
    held = fingers.put(*fingers.half("a"))
    fingers.hold()
    for step in range(steps):
        other = fingers.put(*fingers.half("l" if step % 2 == 0 else "a"))
        fingers.lift(held)
        fingers.hold_past_a_tick()
        held = other
        if step % 20 == 19 and done():
            break
    fingers.lift(held)


# Thumbs pumping from a script in the page, one change per frame callback once a tick has
# surely seen the last: a thumb goes down on the other half and the one that was down lifts.
# A change waits for two frame callbacks and a tick's time and more since it, with the earlier
# of the two at least that late; in which order the game's and this callback run in a frame
# does not matter then. Ids far above the browser's own pointer ids.
_PAGE_PUMP = """
    const [changes, first, halves] = arguments;
    const area = document.getElementById('game');
    const send = (type, id, side) => area.dispatchEvent(new PointerEvent(type, {
        pointerId: id, pointerType: 'touch', bubbles: true, cancelable: true,
        clientX: halves[side][0], clientY: halves[side][1]}));
    let made = 0, side = first, held = null, changedAt = 0, previous = null;
    window.kfPumpDone = false;
    (function frame() {
        const now = performance.now();
        if (held === null || previous !== null && previous >= changedAt + %d) {
            const thumb = 7000 + made;
            if (made < changes) {
                send('pointerdown', thumb, side);
            }
            if (held !== null) {
                send('pointerup', held.id, held.side);
            }
            if (made === changes) {
                window.kfPumpDone = true;
                return;
            }
            held = {id: thumb, side: side};
            side = side === 'a' ? 'l' : 'a';
            made += 1;
            changedAt = now;
            previous = null;
        } else {
            previous = now;
        }
        requestAnimationFrame(frame);
    })();
""" % round(TICK_S * 1250)


def pump_in_page(fingers, changes, first):
    """Thumbs on the halves of the fingers' page in turn, `changes` of them, starting on the
    `first` half ("a" or "l"), pumped by the page's own frames: as fast as the page can count
    them, without a round trip to the test for each thumb (a busy machine's page takes a frame
    or more to answer each touch the DevTools protocol sends)."""
    browser = fingers.browser
    browser.script(_PAGE_PUMP, changes, first, {side: fingers.half(side) for side in "al"})
    kf_e2e.wait_until(lambda: browser.script("return window.kfPumpDone === true"),
                      f"the page's {changes} thumbs", timeout=120)
