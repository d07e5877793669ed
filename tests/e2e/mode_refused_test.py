"""On a display that cannot run 1024x768 the game asks "Vorx GL" whether to go windowed.
Yes gives a window and a normal game; No says "Program Will Now Close." and ends with exit
code 0 without touching scores.dat. Run on an 800x600 Xvfb screen."""

import os
import time

import kf_e2e
from kf_e2e import check


def answer_box(game, caption, key):
    box = game.wait_for_window(name=caption, timeout=90)
    # Let the box finish drawing before it is answered.
    time.sleep(0.5)
    # Without a window manager the keyboard follows the pointer: put it on the box.
    kf_e2e.move_pointer(20, 20, window=box)
    time.sleep(0.3)
    kf_e2e.press(key)
    return box


def declined(binary):
    game = kf_e2e.Game(binary)
    try:
        game.start()
        answer_box(game, "Vorx GL", "Escape")
        answer_box(game, "ERROR", "Return")
        status = game.wait_for_exit()
        check(status == 0, f"exit code {status} after No:\n{game.log()}")
        check(not os.path.exists(game.path("scores.dat")), "scores.dat written after No")
        check(not kf_e2e.visible_windows(kf_e2e.TITLE), "a game window is left after No")
    finally:
        game.cleanup()


def accepted(binary):
    game = kf_e2e.Game(binary)
    try:
        game.start()
        answer_box(game, "Vorx GL", "Return")
        window = game.wait_for_window()
        game.wait_for_picture()
        kf_e2e.move_pointer(400, 300)
        kf_e2e.wait_until(lambda: not kf_e2e.cursor_hidden(), "the cursor stays hidden after Yes")
        check(kf_e2e.screen_size() == (800, 600), "the display mode was changed")
        kf_e2e.close_window(window)
        status = game.wait_for_exit()
        check(status == 0, f"exit code {status} after Yes:\n{game.log()}")
        check(len(kf_e2e.read_scores(game.path("scores.dat"))) == 10, "no table saved")
    finally:
        game.cleanup()


def test(binary):
    check(kf_e2e.screen_size() == (800, 600), "this test needs an 800x600 screen")
    declined(binary)
    accepted(binary)


if __name__ == "__main__":
    kf_e2e.main(test)
