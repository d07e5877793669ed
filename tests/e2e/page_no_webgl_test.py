"""A browser without WebGL: the page shows the desktop's message for a GL context that cannot
be made ("Can't Create A GL Rendering Context.", caption "ERROR") in the page, and the game does
not start; nothing crashes and no canvas is left behind."""

import time

import kf_browser
import kf_e2e
import kf_page
from kf_e2e import check

MESSAGE = ("ERROR", "Can't Create A GL Rendering Context.")


def test():
    game = kf_page.PageGame(browser_args=kf_browser.NO_WEBGL_ARGS)
    try:
        game.start()
        page = game.browser
        kf_e2e.wait_until(lambda: MESSAGE in page.boxes(),
                          f"no box {MESSAGE} in the page (boxes: {page.boxes()})", timeout=120)
        # The frame callback has stopped: no frames are drawn, and none will be.
        time.sleep(2)
        check(page.mark("drawn") is None, "a frame was drawn without WebGL")
        check(page.script("return document.getElementById('canvas') === null"),
              "a canvas was left in the page")
        check(page.boxes() == [MESSAGE], f"boxes besides the message: {page.boxes()}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
