"""A page that cannot have its music, or no sound at all, is still a game: without the
SoundFont (a page folder that lacks it) the page says once that it plays without music, stays
silent after the first key press, and its effects still sound over the silence; in a browser
without Web Audio it says once that it plays silently and the menu still works."""

import os
import shutil
import tempfile

import kf_e2e
from kf_audio import SILENT, WINDOW_S, PageCapture, heard, wait_for_capture
from kf_e2e import check

SOUNDFONT = "TimGM6mb.sf2"
NO_WEB_AUDIO = "delete window.AudioContext; delete window.webkitAudioContext;"


def page_without_soundfont():
    """A folder with every file of the page but the SoundFont, linked, not copied."""
    folder = tempfile.mkdtemp(prefix="kf_page_nosf_")
    for name in os.listdir(kf_e2e.BROWSER):
        if name != SOUNDFONT:
            os.symlink(os.path.abspath(os.path.join(kf_e2e.BROWSER, name)),
                       os.path.join(folder, name))
    return folder


def notice_once(game, text):
    kf_e2e.wait_until(lambda: text in (game.browser.notice() or ""), f"the notice {text!r}")
    notice = game.browser.notice()
    check(notice.count(text) == 1, f"the notice shows more than once: {notice!r}")


def flush(game):
    """"Show controls": the flush, and the menu that took the keys."""
    for _ in range(3):
        kf_e2e.press("Down")
    kf_e2e.press("Return")


def without_soundfont():
    folder = page_without_soundfont()
    game = kf_e2e.Game(page_dir=folder)
    try:
        game.start()
        capture = PageCapture(game.browser)
        game.wait_for_picture()
        kf_e2e.press("Left")
        notice_once(game, "without music")
        check("TimGM6mb.sf2" in game.browser.notice(), "the notice names no missing file")
        check(game.browser.script("return !document.getElementById('music-retry').hidden"),
              "no button to try the music again")
        wait_for_capture(game, capture, 3.0)
        quiet = heard(capture.levels(WINDOW_S))
        check(quiet and max(quiet) < SILENT, f"sound without the SoundFont: {quiet}")
        activated_at = capture.seconds()
        flush(game)
        wait_for_capture(game, capture, activated_at + 3.0)
        effect = max(heard(capture.levels(WINDOW_S, activated_at)))
        print(f"without the SoundFont: silent at {max(quiet):.4f}, the flush at {effect:.4f}")
        check(effect > 10 * SILENT, f"the effect did not sound ({effect:.4f})")
        game.check_running("without its SoundFont")
    finally:
        game.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


def without_web_audio():
    game = kf_e2e.Game(scripts=(NO_WEB_AUDIO,))
    try:
        game.start()
        game.wait_for_picture()
        kf_e2e.press("Left")
        notice_once(game, "plays silently")
        flush(game)
        frames = kf_e2e.drawn_frames()
        kf_e2e.wait_until(lambda: kf_e2e.drawn_frames() > frames + 10, "frames after the flush")
        game.check_running("without Web Audio")
        check(not game.browser.boxes(), f"the page shows a box: {game.browser.boxes()}")
    finally:
        game.cleanup()


def test():
    without_soundfont()
    without_web_audio()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
