"""The web page draws the desktop's picture: each screenshot state that renderframe draws on
the desktop (Mesa, on a private Xvfb display) is drawn by the page at the same fixed clock
(?shot=NAME, a 1024x768 canvas) and the two pictures are compared; the root-mean-square
difference of every shot stays under 3 % of full scale. Prints each shot's figure.
    page_picture_test.py --browser PAGE_DIR RENDERFRAME"""

import os
import re
import shutil
import tempfile

import kf_browser
import kf_e2e
from kf_e2e import check

SHOTS = ["menu", "name_entry", "highscores", "controls", "congratulations", "game",
         "game_start", "wave_blue", "wave_grey"]
MAX_RMSE = 0.03
WITH_XVFB = os.path.join(kf_browser.ROOT, "scripts", "with-xvfb.sh")


def desktop_pictures(renderframe, folder):
    """renderframe's PNGs of every shot, drawn into `folder`."""
    # Mesa and fontconfig keep allocations to the end; leaks are not this test's subject.
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    result = kf_e2e.run(["sh", WITH_XVFB, renderframe, folder], timeout=300, env=env)
    check(result.returncode == 0, f"renderframe failed:\n{result.stdout}{result.stderr}")
    for shot in SHOTS:
        check(os.path.exists(os.path.join(folder, shot + ".png")), f"renderframe drew no {shot}")


def rmse(first, second):
    """ImageMagick's root-mean-square difference of two pictures, 0 to 1."""
    result = kf_e2e.run(["compare", "-metric", "RMSE", first, second, "null:"])
    figure = re.search(r"\(([0-9.eE+-]+)\)", result.stderr)
    check(figure is not None, f"compare could not compare {first} and {second}:\n"
                              f"{result.stderr}")
    return float(figure.group(1))


def test():
    check(kf_e2e.GAME and os.path.exists(kf_e2e.GAME[0]), "renderframe not named")
    folder = tempfile.mkdtemp(prefix="kf_picture_")
    server = kf_browser.PageServer(kf_e2e.BROWSER)
    browser = kf_browser.Browser()
    try:
        desktop_pictures(kf_e2e.GAME[0], folder)
        figures = {}
        for shot in SHOTS:
            browser.open(f"{server.url}?shot={shot}")
            browser.wait_for_mark("shot", what=f"the shot {shot}")
            page = os.path.join(folder, f"page_{shot}.png")
            check(browser.canvas_png(page), f"no canvas for the shot {shot}")
            size = kf_e2e.run(["identify", "-format", "%wx%h", page]).stdout
            check(size == "1024x768", f"the page drew {shot} at {size}")
            figures[shot] = rmse(page, os.path.join(folder, shot + ".png"))
            print(f"{shot}: RMSE {100 * figures[shot]:.2f} %")
        worse = {shot: figure for shot, figure in figures.items() if figure >= MAX_RMSE}
        check(not worse, f"pictures differ from the desktop's by 3 % or more: {worse}")
    finally:
        browser.quit()
        server.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
