"""F1 closes the fullscreen window and opens a 1024x768 window at the desktop's top-left
corner with the cursor showing; F1 again returns to fullscreen with the cursor hidden; the
game goes on and quits normally afterwards."""

import kf_e2e
from kf_e2e import check


def switch(game, old_window, what):
    kf_e2e.press("F1")
    kf_e2e.wait_until(lambda: old_window not in kf_e2e.visible_windows(kf_e2e.TITLE),
                      f"the window before {what} did not close")
    window = game.wait_for_window(other_than=old_window)
    game.wait_for_picture()
    return window


def test(binary):
    game = kf_e2e.Game(binary)
    try:
        game.start()
        first = game.wait_for_window()
        game.wait_for_picture()
        check(kf_e2e.cursor_hidden(), "the cursor shows over the first, fullscreen window")

        windowed = switch(game, first, "the first F1")
        check(not kf_e2e.cursor_hidden(), "after F1 the cursor is still hidden")
        x, y, width, height = kf_e2e.window_geometry(windowed)
        check((width, height) == (1024, 768), f"windowed client area {width}x{height}")
        check((x, y) == (0, 0), f"windowed client area at {x},{y}")

        again = switch(game, windowed, "the second F1")
        check(kf_e2e.cursor_hidden(), "F1 twice does not hide the cursor again")
        check(kf_e2e.window_geometry(again) == (0, 0, 1024, 768), "fullscreen geometry")
        check(kf_e2e.screen_size() == (1024, 768), "the display is not at 1024x768")

        kf_e2e.quit_game(game)
        check(len(kf_e2e.read_scores(game.path("scores.dat"))) == 10, "no ten-row table")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
