"""A minimised window keeps the game ticking: a game pumped past the table's last row is
minimised (as a window manager iconifies a window), and while the window stays unmapped the
game ends and the applause of the new top-ten entry sounds (SDL's disk audio driver). Restored,
the window shows the congratulations, and the saved table holds the row. The Windows game under
Wine has no sound to listen to: there the window stays away for as long as a game takes to end
by itself, and is then restored to the congratulations."""

import time

import kf_e2e
import kf_screen
from kf_audio import captured_seconds, load_effect, wait_for_effect
from kf_e2e import check

PLAYER = b"VOV1ER0U"
LONG_ENOUGH_CM = 2.5
# Longer than the pressure of a game pumped for a few seconds takes to leak away.
SILENT_WAIT_S = 40


def test():
    screens = kf_screen.Screens()
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        capture = game.path("capture.raw")
        game.env["SDL_DISKAUDIOFILE"] = capture
        window = kf_screen.open_at_menu(screens, game)
        kf_e2e.press("Return")  # "Start new game"
        with kf_e2e.Rhythm(("a", "l"), rate=8.0, hold=0.1):
            screens.wait_for(game, kf_screen.length_above(LONG_ENOUGH_CM),
                             f"a length above {LONG_ENOUGH_CM} cm", "playing")

        kf_e2e.minimize_window(window)
        check(not kf_e2e.window_mapped(window), "the window still shows after minimising")
        screens.shoot("minimised")
        if kf_e2e.WINE:
            time.sleep(SILENT_WAIT_S)
            game.check_running("while minimised")
        else:
            minimised_at = captured_seconds(capture)
            onset = wait_for_effect(capture, load_effect("klatschen"), "applause", minimised_at,
                                    120, game)
            print(f"minimised at {minimised_at:.1f} s of sound, applause at {onset:.1f} s")
        check(not kf_e2e.window_mapped(window), "the window came back by itself")

        kf_e2e.restore_window(window)
        screens.wait_for(game, kf_screen.congratulations, "the congratulations", "restored")
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 1 and mine[0] > LONG_ENOUGH_CM, f"no row of the game in {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
