"""Escape in the middle of a game goes straight back to the main menu with no highscore entry,
even when the sausage is already long enough for the table: the game is pumped with A and L
until the screen shows more than the default table's last row (2 cm), then left with Escape.
"Quit game" then saves the default table unchanged."""

import kf_e2e
import kf_screen
from kf_e2e import check

LONG_ENOUGH_CM = 2.5


def menu_or_congratulations(text):
    return text if kf_screen.main_menu(text) or kf_screen.congratulations(text) else None


def test():
    screens = kf_screen.Screens()
    game = kf_e2e.Game()
    try:
        kf_screen.open_at_menu(screens, game)
        kf_e2e.press("Return")  # "Start new game"
        with kf_e2e.Rhythm(("a", "l"), rate=8.0, hold=0.1):
            length = screens.wait_for(game, kf_screen.length_above(LONG_ENOUGH_CM),
                                      f"a length above {LONG_ENOUGH_CM} cm", "playing")
        kf_e2e.press("Escape")
        text = screens.wait_for(game, menu_or_congratulations, "the main menu", "after_escape")
        check(not kf_screen.congratulations(text), f"the game ended with an entry:\n{text}")
        print(f"left the game with Escape at {length:.2f} cm or more")

        kf_e2e.quit_game(game)
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        check(rows == kf_e2e.DEFAULT_TABLE,
              f"the game left with Escape changed the table: {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
