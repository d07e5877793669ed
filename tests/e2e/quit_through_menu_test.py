"""The game starts fullscreen on the 1024x768 display, is driven with the keyboard, and
"Quit game" (Down four times, Return) ends it with exit code 0 and a ten-row scores.dat."""

import kf_e2e
from kf_e2e import check


def test(binary):
    game = kf_e2e.Game(binary)
    try:
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        check(kf_e2e.cursor_hidden(), "the cursor shows over the fullscreen window")
        check(kf_e2e.window_geometry(window) == (0, 0, 1024, 768),
              f"fullscreen window at {kf_e2e.window_geometry(window)}")
        check(kf_e2e.screen_size() == (1024, 768), "the display is not at 1024x768")
        kf_e2e.quit_game(game)
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        check(rows == kf_e2e.DEFAULT_TABLE,
              f"scores.dat is not the default table: {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
