"""F1 closes the fullscreen window and opens a window at the desktop's top-left corner with the
cursor showing and the main menu in it: a 1024x768 client area at the corner for the Linux
game; for the Windows game an overlapping window whose frame and caption push it off the
corner (and shorten it, as Windows does on a screen no larger than the client area). F1 again
returns to fullscreen with the cursor hidden; the game goes on and quits normally.
The web page starts in the page (a browser lets a page go fullscreen only on a key press or a
click); its canvas fills the browser window and follows it when it is resized, F1 puts the page
fullscreen, F1 again takes it back, and the menu goes on in all of them."""

import kf_e2e
import kf_screen
from kf_e2e import check


def check_windowed(window):
    geometry = kf_e2e.window_geometry(window)
    if kf_e2e.WINE:
        check(kf_e2e.framed_at_corner(geometry, (1024, 768)), f"windowed client {geometry}")
    else:
        check(geometry == (0, 0, 1024, 768), f"windowed client area {geometry}")


def check_fullscreen(window):
    check(kf_e2e.window_geometry(window) == (0, 0, 1024, 768),
          f"fullscreen window at {kf_e2e.window_geometry(window)}")
    check(kf_e2e.screen_size() == (1024, 768), "the display is not at 1024x768")


def test_page():
    screens = kf_screen.Screens()
    game = kf_e2e.Game()
    try:
        kf_screen.open_at_menu(screens, game)
        page = kf_e2e.PAGE.browser
        check(page.canvas_size() == (1024, 768), f"canvas of {page.canvas_size()} in 1024x768")
        page.resize(800, 600)
        kf_e2e.wait_until(lambda: page.canvas_size() == (800, 600),
                          f"the canvas did not follow the window to 800x600: {page.canvas_size()}")
        page.resize(1024, 768)
        kf_e2e.wait_until(lambda: page.canvas_size() == (1024, 768),
                          "the canvas did not follow the window back to 1024x768")
        screens.wait_for(game, kf_screen.main_menu, "the main menu after the resizes", "resized")
        check(not page.is_fullscreen(), "the page went fullscreen without a key press")
        kf_e2e.switch_mode(game, "canvas", "the first F1")
        check(page.is_fullscreen(), "the page is not fullscreen after F1")
        screens.wait_for(game, kf_screen.main_menu, "the main menu in fullscreen", "fullscreen")
        kf_e2e.switch_mode(game, "canvas", "the second F1")
        check(not page.is_fullscreen(), "the page is still fullscreen after F1 twice")
        screens.wait_for(game, kf_screen.main_menu, "the main menu after F1 twice", "again")
        kf_e2e.quit_game(game)
        check(len(kf_e2e.read_scores(game.scores)) == 10, "no ten-row table")
    finally:
        game.cleanup()


def test():
    if kf_e2e.BROWSER:
        test_page()
        return
    screens = kf_screen.Screens()
    game = kf_e2e.Game()
    try:
        first = kf_screen.open_at_menu(screens, game)
        check_fullscreen(first)
        check(kf_e2e.cursor_hidden(), "the cursor shows over the first, fullscreen window")

        windowed = kf_e2e.switch_mode(game, first, "the first F1")
        check_windowed(windowed)
        kf_e2e.wait_until(lambda: not kf_e2e.cursor_hidden(), "the cursor stays hidden after F1")
        screens.wait_for(game, kf_screen.main_menu, "the main menu in the window", "windowed")

        again = kf_e2e.switch_mode(game, windowed, "the second F1")
        check_fullscreen(again)
        kf_e2e.wait_until(kf_e2e.cursor_hidden, "the cursor shows after the second F1")
        screens.wait_for(game, kf_screen.main_menu, "the main menu after F1 twice", "again")

        kf_e2e.quit_game(game)
        check(len(kf_e2e.read_scores(game.scores)) == 10, "no ten-row table")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True, browser=True)
