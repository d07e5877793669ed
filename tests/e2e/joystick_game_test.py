"""A joystick plugged in while the game runs plays a whole game: through the virtual-joystick
hook (KF_VIRTUAL_JOYSTICK) the test plugs one in at the menu, starts a game with Return, pumps
the press with buttons 1 and 2 alternately, and waits for the applause of a new top-ten entry.
The saved table then holds the player's row; without the presses the sausage stays below the
table's last row (2 cm), so the row proves the buttons reached the game."""

import os
import time

import kf_e2e
from kf_e2e import check
from kf_audio import best_match, load_effect, read_left_channel

PLAYER = b"VOV1ER0U"


def command(fifo, line):
    with open(fifo, "w") as f:
        f.write(line + "\n")


def test(binary):
    game = kf_e2e.Game(binary, env={"SDL_AUDIODRIVER": "disk"})
    try:
        fifo = game.path("joystick")
        os.mkfifo(fifo)
        capture = game.path("capture.raw")
        game.env.update({"KF_VIRTUAL_JOYSTICK": fifo, "SDL_DISKAUDIOFILE": capture})
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()

        command(fifo, "plug")
        kf_e2e.press("Return")  # "Start new game"
        for _ in range(12):
            for button in ("1", "2"):
                command(fifo, "press " + button)
                time.sleep(kf_e2e.KEY_HOLD_S)
                command(fifo, "release " + button)
                time.sleep(0.1)
        command(fifo, "unplug")

        applause = load_effect("klatschen")
        kf_e2e.wait_until(lambda: best_match(read_left_channel(capture), applause)[0] > 0.6,
                          "no applause for a new top-ten entry", timeout=60)
        kf_e2e.close_window(window)
        status = game.wait_for_exit()
        check(status == 0, f"exit code {status}:\n{game.log()}")
        rows = kf_e2e.read_scores(game.path("scores.dat"))
        mine = [length for length, name in rows if name == PLAYER]
        check(len(mine) == 1 and mine[0] > 2.0, f"no row of the player in {rows}")
        print(f"the joystick game scored {mine[0]:.2f} cm")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
