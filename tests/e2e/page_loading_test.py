"""The page tells while it loads: the browser counts its first contentful paint, the loading
line shows the game's bytes as they come, and a file of the game that cannot be fetched is
named with a button to try again, which then loads the game."""

import os
import re
import shutil
import tempfile

import kf_e2e
from kf_e2e import check

GAME_FILES = ("kesselfass3d.js", "kesselfass3d.wasm")
# Every text the loading line shows, as it shows it.
WATCH_LOADING = """window.kfLoading = [];
new MutationObserver(() => {
    const line = document.getElementById("loading-text");
    if (line && window.kfLoading[window.kfLoading.length - 1] !== line.textContent) {
        window.kfLoading.push(line.textContent);
    }
}).observe(document, {subtree: true, childList: true, characterData: true});"""


def page_with_links():
    folder = tempfile.mkdtemp(prefix="kf_page_load_")
    for name in os.listdir(kf_e2e.BROWSER):
        os.symlink(os.path.abspath(os.path.join(kf_e2e.BROWSER, name)),
                   os.path.join(folder, name))
    return folder


def loading_line(game):
    return game.browser.script(
        "const l = document.getElementById('loading'); return l.hidden ? null : "
        "[document.getElementById('loading-text').textContent, "
        "!document.getElementById('retry').hidden]")


def wait_for_failure(game, name):
    kf_e2e.wait_until(lambda: (loading_line(game) or ["", False])[1],
                      f"the page offering to try {name} again")
    text = loading_line(game)[0]
    check(name in text, f"the loading line does not name {name}: {text!r}")


def put_back(folder, name):
    os.rename(os.path.join(folder, name + ".away"), os.path.join(folder, name))


def retry(game):
    game.browser.script("document.getElementById('retry').click()")


def test():
    folder = page_with_links()
    game = kf_e2e.Game(page_dir=folder, scripts=(WATCH_LOADING,))
    try:
        for name in GAME_FILES:
            os.rename(os.path.join(folder, name), os.path.join(folder, name + ".away"))
        game.start()
        wait_for_failure(game, GAME_FILES[0])
        put_back(folder, GAME_FILES[0])
        retry(game)
        wait_for_failure(game, GAME_FILES[1])
        put_back(folder, GAME_FILES[1])
        retry(game)
        game.wait_for_picture()
        check(loading_line(game) is None, "the loading line stays over the game")
        texts = game.browser.script("return window.kfLoading")
        size_kb = round(os.path.getsize(os.path.join(folder, GAME_FILES[1])) / 1024)
        check(any(re.fullmatch(rf"Loading the game: \d+ KB of {size_kb} KB", t) for t in texts),
              f"no progress of the game's {size_kb} KB shown: {texts}")
        paints = game.browser.script(
            "return performance.getEntriesByType('paint').map(e => e.name)")
        check("first-contentful-paint" in paints, f"no first contentful paint: {paints}")
        print(f"the loading line showed {len(texts)} texts; paints {paints}")
    finally:
        game.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
