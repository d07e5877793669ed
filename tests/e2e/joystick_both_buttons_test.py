"""Joystick buttons 1 and 2 held together add nothing: a game played with both held from its
start to its end scores like a game with no presses (about 1.33 cm, below the table's last
row), the pressure read on the screen only falls from its starting 10 mbar, and the main menu
returns with no entry. The same buttons pressed in turn in a second game lift the pressure
above 10 mbar, so the joystick did reach the game."""

import kf_e2e
import kf_screen
from kf_e2e import check

START_PRESSURE = 10.0


def held_game(screens, game, joystick):
    """Both buttons held for a whole game; returns the pressures read, in order."""
    kf_e2e.press("Return")  # "Start new game"
    joystick.button("1", True)
    joystick.button("2", True)
    pressures = []

    def game_over(text):
        pressure = kf_screen.readouts(text)[0]
        if pressure is not None:
            pressures.append(pressure)
        return text if kf_screen.main_menu(text) or kf_screen.congratulations(text) else None

    text = screens.wait_for(game, game_over, "the end of the game", "both_held", timeout=90)
    joystick.button("1", False)
    joystick.button("2", False)
    check(not kf_screen.congratulations(text), f"holding both buttons scored an entry:\n{text}")
    return pressures


def pressure_above_start(text):
    pressure = kf_screen.readouts(text)[0]
    return pressure if pressure is not None and pressure > START_PRESSURE else None


def test(binary):
    screens = kf_screen.Screens()
    game = kf_e2e.Game(binary)
    try:
        joystick = kf_e2e.VirtualJoystick(game)
        kf_screen.open_at_menu(screens, game)
        joystick.send("plug")

        pressures = held_game(screens, game, joystick)
        print(f"pressures read with both buttons held (mbar): {pressures}")
        check(len(pressures) >= 3, f"the pressure was read only {len(pressures)} times")
        check(all(p <= START_PRESSURE for p in pressures) and
              all(a >= b for a, b in zip(pressures, pressures[1:])),
              f"the pressure rose with both buttons held: {pressures}")

        kf_e2e.press("Return")  # a second game, the buttons pressed in turn
        with kf_e2e.Rhythm(("1", "2"), rate=2.0, hold=0.3, act=joystick.button):
            risen = screens.wait_for(game, pressure_above_start,
                                     "a pressure above 10 mbar from the buttons in turn",
                                     "in_turn")
        print(f"buttons in turn: {risen} mbar")
        kf_e2e.press("Escape")
        screens.wait_for(game, kf_screen.main_menu, "the main menu after Escape", "menu")
        kf_e2e.quit_game(game)
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        check(rows == kf_e2e.DEFAULT_TABLE,
              f"the table changed: {rows}")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
