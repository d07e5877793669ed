"""A joystick plugged in while the game runs plays a whole game: through the virtual-joystick
hook (KF_VIRTUAL_JOYSTICK) the test plugs one in at the menu, starts a game with Return, pumps
the press with buttons 1 and 2 alternately, and waits for the applause of a new top-ten entry.
The saved table then holds the player's row; without the presses the sausage stays below the
table's last row (2 cm), so the row proves the buttons reached the game."""

import kf_e2e
from kf_e2e import check
from kf_audio import load_effect, wait_for_effect

PLAYER = b"VOV1ER0U"


def test():
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        joystick = kf_e2e.VirtualJoystick(game)
        capture = game.path("capture.raw")
        game.env["SDL_DISKAUDIOFILE"] = capture
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()

        joystick.send("plug")
        kf_e2e.press("Return")  # "Start new game"
        joystick.press_in_turn(24)
        joystick.send("unplug")

        wait_for_effect(capture, load_effect("klatschen"), "applause for a new top-ten entry", 0.0,
                        60, game)
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 1 and mine[0] > 2.0, f"no row of the player in {rows}")
        print(f"the joystick game scored {mine[0]:.2f} cm")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
