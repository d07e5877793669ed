"""A gamepad plays a whole game in the page: the Gamepad API's first pad (held by the test) is
plugged in at the menu, a game is started with Return and pumped with buttons 1 and 2
alternately, each held as a key is, until the game has drawn a few frames since. The
congratulations follow and the stored table holds the player's row; without the presses the
sausage stays below the table's last row (2 cm), so the row proves the buttons reached the
game."""

import kf_browser
import kf_e2e
import kf_page
import kf_screen
from kf_e2e import check

PLAYER = b"VOV1ER0U"


def test():
    screens = kf_screen.Screens()
    game = kf_page.PageGame(scripts=[kf_browser.FAKE_GAMEPAD])
    try:
        kf_screen.open_at_menu(screens, game)
        pad = kf_browser.Gamepad(game.browser)
        pad.plug()
        kf_e2e.press("Return")  # "Start new game"
        for button in ("1", "2") * 12:
            kf_e2e.press(button, pause=0.1, act=pad.button)
        pad.plug(False)
        screens.wait_for(game, kf_screen.congratulations, "the congratulations",
                         "congratulations", timeout=120)
        kf_e2e.close_window("canvas")
        game.wait_for_clean_exit()
        rows = kf_e2e.read_scores(game.scores)
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 1 and mine[0] > 2.0, f"no row of the player in {rows}")
        print(f"the gamepad game scored {mine[0]:.2f} cm")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
