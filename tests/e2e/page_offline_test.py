"""The page as an installable app that works offline. After one visit its service worker has
stored every file, so that with the server gone a reload opens the game and plays its music;
Chromium finds nothing that keeps the page from being installed. A new build on the server is
stored during the next visit, which still plays the old build whole, and taken whole at the
visit after that (the page closed and opened again); then only its cache is left."""

import os
import re
import shutil
import tempfile

import kf_e2e
from kf_audio import PageCapture, wait_for_music
from kf_e2e import check

WORKER = "sw.js"
# Two files of one build that the page loads apart; each says which build it came from.
MARKED = ("page.js", "kesselfass3d.js")


def copy_of_page():
    folder = tempfile.mkdtemp(prefix="kf_page_app_")
    shutil.rmtree(folder)
    shutil.copytree(kf_e2e.BROWSER, folder)
    return folder


def mark_build(folder, build):
    """Makes `folder` build `build`: the marked files say so, and the worker's build name
    changes, as a rebuild after a change would make them."""
    for name in MARKED:
        with open(os.path.join(folder, name), "a") as f:
            f.write(f'\n;(window.kfBuilds = window.kfBuilds || {{}})["{name}"] = "{build}";\n')
    path = os.path.join(folder, WORKER)
    with open(path) as f:
        worker = f.read()
    worker, count = re.subn(r'const BUILD = "[^"]*";', f'const BUILD = "{build}";', worker)
    check(count == 1, "the service worker names no build")
    with open(path, "w") as f:
        f.write(worker)


def builds_seen(game):
    return game.browser.script("return window.kfBuilds || {}")


def wait_for_worker(game, state):
    """Waits until the page's registration has a worker `state` ("active" with every file
    stored and in control of the page, or "waiting")."""
    game.browser.script("""window.kfWorker = null;
        navigator.serviceWorker.getRegistration().then(r => {
            window.kfWorker = {active: !!(r && r.active && r.active.state === "activated"
                                          && navigator.serviceWorker.controller),
                               waiting: !!(r && r.waiting)};
        });""")
    kf_e2e.wait_until(lambda: game.browser.script("return window.kfWorker !== null"),
                      "an answer about the service worker")
    return game.browser.script("return window.kfWorker")[state]


def until_worker(game, state):
    kf_e2e.wait_until(lambda: wait_for_worker(game, state), f"a service worker {state}",
                      timeout=120)


def caches(game):
    game.browser.script("window.kfCaches = null; caches.keys().then(k => window.kfCaches = k)")
    kf_e2e.wait_until(lambda: game.browser.script("return window.kfCaches !== null"),
                      "the page's cache names")
    return game.browser.script("return window.kfCaches")


def visit(game, again=False):
    """The player reloads the page, or (`again`) leaves it and comes back."""
    if again:
        game.browser.open("about:blank")
        game.browser.open(game.server.url)
    else:
        game.browser.reload()
    game.wait_for_picture()


def offline_with_music():
    folder = copy_of_page()
    game = kf_e2e.Game(page_dir=folder)
    try:
        game.start()
        game.wait_for_picture()
        until_worker(game, "active")
        errors = game.browser.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
        check(errors.get("installabilityErrors") == [], f"not installable: {errors}")
        game.server.stop()
        capture = PageCapture(game.browser)
        visit(game)
        kf_e2e.press("Left")  # the gesture that starts the audio, and the music with it
        onset = wait_for_music(game, capture)
        notice = game.browser.notice()
        check(notice is None, f"the page offline says: {notice!r}")
        print(f"offline: the page opened and its music sounded {onset:.1f} s into its audio")
    finally:
        game.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


def new_build_taken_whole():
    folder = copy_of_page()
    mark_build(folder, "A")
    game = kf_e2e.Game(page_dir=folder)
    try:
        game.start()
        game.wait_for_picture()
        until_worker(game, "active")
        first = caches(game)
        check(len(first) == 1, f"one build, caches {first}")
        mark_build(folder, "B")
        visit(game)
        seen = builds_seen(game)
        check(seen == {name: "A" for name in MARKED},
              f"the visit after the server changed loaded {seen}, not all of the build stored")
        until_worker(game, "waiting")
        visit(game, again=True)
        seen = builds_seen(game)
        check(seen == {name: "B" for name in MARKED},
              f"the visit after the new build was stored loaded {seen}, not all of it")
        until_worker(game, "active")
        after = caches(game)
        check(len(after) == 1 and after != first, f"caches after the new build: {after}")
        game.check_running("after the new build")
        print(f"the new build replaced the old: caches {first} -> {after}")
    finally:
        game.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


def test():
    offline_with_music()
    new_build_taken_whole()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
