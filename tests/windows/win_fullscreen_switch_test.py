"""F1 in the Windows game under Wine: the fullscreen popup gives way to an overlapping window
at the desktop's top-left corner, with the cursor showing; F1
again makes the fullscreen window anew with the cursor hidden; the game goes on and quits
normally afterwards."""

import kf_wine  # first: it makes the Linux tests' helpers importable
import kf_e2e
import kf_screen
from fullscreen_switch_test import switch
from kf_e2e import check


def test(exe):
    screens = kf_screen.Screens()
    game = kf_wine.WineGame(exe)
    try:
        first = kf_screen.open_at_menu(screens, game)
        check(kf_e2e.window_geometry(first) == (0, 0, 1024, 768),
              f"first window at {kf_e2e.window_geometry(first)}")
        check(kf_e2e.cursor_hidden(), "the cursor shows over the first, fullscreen window")

        windowed = switch(game, first, "the first F1")
        # The frame and caption do not fit on a 1024x768 screen beside a 1024x768 client
        # area; the system shortens the window, as Windows does.
        geometry = kf_e2e.window_geometry(windowed)
        check(kf_wine.framed_at_corner(geometry, (1024, 768)), f"windowed client {geometry}")
        kf_e2e.wait_until(lambda: not kf_e2e.cursor_hidden(), "the cursor stays hidden after F1")
        screens.wait_for(game, kf_screen.main_menu, "the main menu in the window", "windowed")

        again = switch(game, windowed, "the second F1")
        check(kf_e2e.window_geometry(again) == (0, 0, 1024, 768), "fullscreen geometry")
        kf_e2e.wait_until(kf_e2e.cursor_hidden, "the cursor shows after the second F1")
        check(kf_e2e.screen_size() == (1024, 768), "the display is not at 1024x768")
        screens.wait_for(game, kf_screen.main_menu, "the main menu after F1 twice", "again")

        kf_e2e.quit_game(game)
        check(len(kf_e2e.read_scores(game.path("scores.dat"))) == 10, "no ten-row table")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
