"""On a display that cannot run 1024x768 the game asks "Vorx GL" whether to go windowed.
No says "Program Will Now Close." and ends with exit code 0 without touching scores.dat. Yes
gives a window on the unchanged display with the cursor showing and a normal game, which
saves its table at the end (closed through the window for the Linux game, through "Quit game"
from the menu read in the window for the Windows game, whose window must also be framed at
the desktop's corner). Run on an 800x600 Xvfb screen."""

import os
import time

import kf_e2e
import kf_screen
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


def declined():
    game = kf_e2e.Game()
    try:
        game.start()
        if kf_e2e.WINE:
            # The box's default button is Yes; Tab moves to No.
            answer_box(game, "Vorx GL", "Tab")
            kf_e2e.press("Return")
        else:
            answer_box(game, "Vorx GL", "Escape")
        answer_box(game, "ERROR", "Return")
        status = game.wait_for_exit()
        check(status == 0, f"exit code {status} after No:\n{game.log()}")
        check(not os.path.exists(game.scores), "scores.dat written after No")
        check(not kf_e2e.visible_windows(kf_e2e.TITLE), "a game window is left after No")
    finally:
        game.cleanup()


def accepted():
    game = kf_e2e.Game()
    try:
        game.start()
        answer_box(game, "Vorx GL", "Return")
        window = game.wait_for_window()
        game.wait_for_picture()
        check(kf_e2e.screen_size() == (800, 600), "the display mode was changed")
        kf_e2e.move_pointer(400, 300)
        kf_e2e.wait_until(lambda: not kf_e2e.cursor_hidden(), "the cursor stays hidden after Yes")
        if kf_e2e.WINE:
            geometry = kf_e2e.window_geometry(window)
            check(kf_e2e.framed_at_corner(geometry, (800, 600)), f"windowed client {geometry}")
            screens = kf_screen.Screens()
            screens.wait_for(game, kf_screen.main_menu, "the main menu in the window", "windowed")
            kf_e2e.quit_game(game)
        else:
            kf_e2e.close_window(window)
            status = game.wait_for_exit()
            check(status == 0, f"exit code {status} after Yes:\n{game.log()}")
        check(len(kf_e2e.read_scores(game.scores)) == 10, "no table saved")
    finally:
        game.cleanup()


def test():
    check(kf_e2e.screen_size() == (800, 600), "this test needs an 800x600 screen")
    declined()
    accepted()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
