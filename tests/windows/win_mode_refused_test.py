"""On an 800x600 screen ChangeDisplaySettingsA refuses 1024x768, and the Windows game asks
"Vorx GL" whether to go windowed. No: "Program Will Now Close." and exit code 0 without
touching scores.dat. Yes: the game runs in a window on the unchanged display."""

import os

import kf_wine  # first: it makes the Linux tests' helpers importable
import kf_e2e
import kf_screen
from kf_e2e import check
from mode_refused_test import answer_box


def declined(exe):
    game = kf_wine.WineGame(exe)
    try:
        game.start()
        # The box's default button is Yes; Tab moves to No.
        answer_box(game, "Vorx GL", "Tab")
        kf_e2e.press("Return")
        answer_box(game, "ERROR", "Return")
        status = game.wait_for_exit(timeout=60)
        check(status == 0, f"exit code {status} after No:\n{game.log()}")
        check(not os.path.exists(game.path("scores.dat")), "scores.dat written after No")
        check(not kf_e2e.visible_windows(kf_e2e.TITLE), "a game window is left after No")
    finally:
        game.cleanup()


def accepted(exe, screens):
    game = kf_wine.WineGame(exe)
    try:
        game.start()
        answer_box(game, "Vorx GL", "Return")
        window = game.wait_for_window()
        game.wait_for_picture()
        check(kf_e2e.screen_size() == (800, 600), "the display mode was changed")
        geometry = kf_e2e.window_geometry(window)
        check(kf_wine.framed_at_corner(geometry, (800, 600)), f"windowed client {geometry}")
        kf_e2e.move_pointer(400, 300)
        kf_e2e.wait_until(lambda: not kf_e2e.cursor_hidden(), "the cursor stays hidden after Yes")
        screens.wait_for(game, kf_screen.main_menu, "the main menu in the window", "windowed")
        kf_e2e.quit_game(game)
        check(len(kf_e2e.read_scores(game.path("scores.dat"))) == 10, "no table saved")
    finally:
        game.cleanup()


def test(exe):
    check(kf_e2e.screen_size() == (800, 600), "this test needs an 800x600 screen")
    declined(exe)
    accepted(exe, kf_screen.Screens())


if __name__ == "__main__":
    kf_e2e.main(test)
