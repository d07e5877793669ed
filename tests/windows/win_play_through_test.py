"""A whole game of the Windows game under Wine: A and L hammered at about eight presses a
second reach the congratulations, and "Quit game" saves the player's row in scores.dat.
Without presses a game ends at about 1.33 cm, below the default table's last row (2 cm)."""

import kf_wine  # first: it makes the Linux tests' helpers importable
import kf_e2e
import kf_screen
from kf_e2e import check

PLAYER = b"VOV1ER0U"


def test(exe):
    screens = kf_screen.Screens()
    game = kf_wine.WineGame(exe)
    try:
        kf_screen.open_at_menu(screens, game)
        kf_e2e.press("Return")  # "Start new game"
        with kf_e2e.Rhythm(("a", "l"), rate=8.0, hold=0.1, duration=4.0) as rhythm:
            while rhythm.running():
                rhythm.thread.join(timeout=0.5)
        print(f"{rhythm.presses} presses sent in {rhythm.seconds:.1f} s")
        screens.wait_for(game, kf_screen.congratulations, "the congratulations",
                         "congratulations", timeout=120)
        kf_e2e.press("Return")  # "Go to highscores"
        screens.wait_for(game, lambda t: kf_screen.table_lengths(t, PLAYER.decode()),
                         "the player's row in the highscores", "highscores")
        kf_e2e.press("Return")  # back to the main menu
        kf_e2e.quit_game(game)
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 1 and mine[0] > 2.0, f"no single row of {PLAYER} above 2 cm: {rows}")
        expected = sorted(kf_e2e.DEFAULT_TABLE[:9] + [(mine[0], PLAYER)], key=lambda r: -r[0])
        check(rows == expected, f"saved table {rows}, expected {expected}")
        print(f"{PLAYER.decode()} scored {mine[0]:.2f} cm")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
