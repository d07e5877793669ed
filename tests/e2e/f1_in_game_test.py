"""F1 in the middle of a game: the fullscreen window is replaced by a 1024x768 window and the
game goes on in it. The readouts show in the new window and the length keeps growing while
A and L are pumped; the game then ends by itself with the congratulations, and the saved row
is at least as long as the last length read."""

import kf_e2e
import kf_screen
from kf_e2e import check

PLAYER = b"VOV1ER0U"


def length_read(text):
    return kf_screen.readouts(text)[1]


def test():
    screens = kf_screen.Screens()
    game = kf_e2e.Game()
    try:
        fullscreen = kf_screen.open_at_menu(screens, game)
        kf_e2e.press("Return")  # "Start new game"
        with kf_e2e.Rhythm(("a", "l"), rate=8.0, hold=0.1):
            before = screens.wait_for(game, length_read, "the length readout", "fullscreen")
            window = kf_e2e.switch_mode(game, fullscreen, "F1 in the game")
            first = screens.wait_for(game, length_read, "the length readout in the window",
                                     "windowed")
            later = screens.wait_for(game, lambda t: (length_read(t) or 0.0) > first and
                                     length_read(t), f"a length above {first:.2f} cm",
                                     "windowed_later")
        print(f"length {before:.2f} cm before F1, {first:.2f} and {later:.2f} cm after it")
        check(first >= before, f"the length fell from {before} to {first} cm across F1")

        screens.wait_for(game, kf_screen.congratulations, "the congratulations",
                         "congratulations", timeout=120)
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        rows = kf_e2e.read_scores(game.scores)
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 1 and mine[0] >= later, f"no row of at least {later} cm in {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True, browser=True)
