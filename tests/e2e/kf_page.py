"""The web page as the game under test: the same interface as kf_e2e.Game, so that a scenario
written for the desktop runs against the page too (kf_e2e.main's --browser PAGE_DIR). The page
is served and shown by kf_browser; what a process is for the desktop game, a visit of the page
is here:
- start() opens the page (a reload when it is open already: the player's next visit). A
  scores.dat put into the game's folder before the first start is stored in the page's storage
  first, as a table left by an earlier visit.
- The game "ends" when the page says so ("Quit game": the `ended` mark) or when the player
  closes it (close()); its table is then copied from the page's storage into the game's folder,
  where the scenarios read scores.dat as they do on the desktop.
- Keys, frames and pictures come from the browser (key(), frames(), shoot())."""

import os
import shutil
import tempfile
import time

import kf_browser
import kf_e2e
from kf_e2e import check

STORED_TABLE = "scores.dat"


class PageVisit:
    """Stands in for a game's process: poll() is None while the game runs in the page."""

    def __init__(self, page):
        self.page = page
        self.returncode = None

    def poll(self):
        if self.returncode is None and self.page.browser.mark("ended") is not None:
            self.returncode = 0
        return self.returncode

    def wait(self, timeout=None):
        deadline = time.monotonic() + (timeout or 3600)
        while self.poll() is None:
            if time.monotonic() > deadline:
                raise TimeoutError
            time.sleep(0.2)
        return self.returncode


class PageGame:
    """One player's visits of the page, in one browser with its own storage."""

    def __init__(self, command=None, env=None, refuse_storage=False, browser_args=(),
                 scripts=(), page_dir=None):
        self.folder = tempfile.mkdtemp(prefix="kf_page_")
        self.scores = self.path(STORED_TABLE)
        self.server = kf_browser.PageServer(page_dir or kf_e2e.BROWSER)
        self.browser = None
        self.refuse_storage = refuse_storage
        self.browser_args = browser_args
        self.scripts = scripts
        self.process = None
        self.uploaded = False

    def path(self, name):
        return os.path.join(self.folder, name)

    def open_browser(self):
        """The player's browser, before the first visit (start() opens it when not yet)."""
        # Every page game can be listened to (kf_audio.PageCapture).
        self.browser = kf_browser.Browser(refuse_storage=self.refuse_storage,
                                          extra_args=self.browser_args,
                                          scripts=(kf_browser.AUDIO_TAP,) + tuple(self.scripts))
        kf_e2e.PAGE = self

    def start(self):
        if self.browser is None:
            self.open_browser()
            if os.path.exists(self.scores):
                self._store_table()
        self.browser.open(self.server.url)
        self.process = PageVisit(self)

    def _store_table(self):
        """Puts the folder's scores.dat into the page's storage, as an earlier visit would
        have left it: the page is opened once for that, before the visit that plays."""
        with open(self.scores, "rb") as f:
            data = list(f.read())
        self.browser.open(self.server.url)
        self.browser.wait_for_mark("drawn", what="the page before storing the table")
        self.browser.script("""
            window.kfStored = false;
            KesselfassStorage.store(new Uint8Array(arguments[0])).then(
                function () { window.kfStored = true; });""", data)
        kf_e2e.wait_until(lambda: self.browser.script("return window.kfStored === true"),
                          "the table was not stored in the page", timeout=60)

    def log(self):
        return self.browser.log() if self.browser else ""

    def check_running(self, what):
        check(self.process.poll() is None, f"the game ended {what}:\n{self.log()}")

    def wait_for_window(self, name=kf_e2e.TITLE, timeout=90):
        """Waits for the page's canvas under the game's title."""
        kf_e2e.wait_until(lambda: self.browser.script(
            "return document.getElementById('canvas') !== null && document.title === "
            "arguments[0]", name), f"no canvas titled {name!r}", timeout=timeout)
        return "canvas"

    def wait_for_picture(self, timeout=120):
        self.browser.wait_for_mark("drawn", timeout=timeout, what="the first drawn frame")

    def wait_for_exit(self, timeout=60):
        try:
            status = self.process.wait(timeout=timeout)
        except TimeoutError:
            raise kf_e2e.E2EFailure(f"the game still runs after {timeout} s:\n{self.log()}")
        self._fetch_table()
        return status

    def wait_for_clean_exit(self, timeout=60):
        status = self.wait_for_exit(timeout)
        check(status == 0, f"the game ended with {status}:\n{self.log()}")

    def _fetch_table(self):
        """Once everything the page wrote is in its storage, its table into the folder."""
        if self.process.returncode is None or self.browser.mark("ended") is None:
            return
        kf_e2e.wait_until(lambda: self.browser.script(
            "return KesselfassStorage.writesPending() === 0"),
            "the page's writes to its storage did not finish", timeout=60)
        data = self.browser.read_stored(STORED_TABLE)
        if data is not None:
            with open(self.scores, "wb") as f:
                f.write(data)

    def close(self):
        """The player closes the page; what the game saved before stays stored."""
        self.process.returncode = 0
        data = self.browser.read_stored(STORED_TABLE)
        if data is not None:
            with open(self.scores, "wb") as f:
                f.write(data)
        self.browser.open("about:blank")

    def shoot(self, path):
        return self.browser.canvas_png(path)

    def stop(self):
        if self.browser is not None:
            self.browser.quit()
            self.browser = None
        self.server.stop()

    def cleanup(self):
        import sys
        if sys.exc_info()[0] is not None and self.browser is not None:
            shot = os.path.abspath(os.path.basename(sys.argv[0]).replace(".py", "_failure.png"))
            if self.browser.canvas_png(shot):
                print(f"(page at the failure: {shot})")
            print(self.log())
        self.stop()
        if kf_e2e.PAGE is self:
            kf_e2e.PAGE = None
        shutil.rmtree(self.folder, ignore_errors=True)
