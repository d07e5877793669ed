"""A gamepad plays in the page: the Gamepad API's first pad (held by the test) is plugged in
at the menu, a game is started with Return and pumped with buttons 1 and 2 alternately. The
browser only tells the pad's state, which the game reads once a frame, so each button is held
until the game has drawn two frames and let go for two more (both held at once is no press);
on a busy machine that is only a press or two a second. So the stored table's last row is set
at 1.5 cm, which a game without presses (about 1.33 cm) never reaches and a few presses do:
the congratulations and the player's row prove that the buttons reached the game."""

import threading

import kf_browser
import kf_e2e
import kf_page
import kf_screen
from kf_e2e import check

PLAYER = b"VOV1ER0U"
TABLE = kf_e2e.DEFAULT_TABLE[:9] + [(1.5, b"KNAPP")]


def pump(pad, stopping):
    while not stopping.is_set():
        for button in ("1", "2"):
            kf_e2e.press(button, hold=0.05, pause=0.0, act=pad.button, frames=2)
            kf_e2e.wait_for_frames(2)


def test():
    screens = kf_screen.Screens()
    game = kf_page.PageGame(scripts=[kf_browser.FAKE_GAMEPAD])
    try:
        kf_e2e.write_scores(game.scores, TABLE)
        kf_screen.open_at_menu(screens, game)
        pad = kf_browser.Gamepad(game.browser)
        pad.plug()
        kf_e2e.press("Return")  # "Start new game"
        stopping = threading.Event()
        pumping = threading.Thread(target=pump, args=(pad, stopping), daemon=True)
        pumping.start()
        try:
            screens.wait_for(game, kf_screen.congratulations, "the congratulations",
                             "congratulations", timeout=120)
        finally:
            stopping.set()
            pumping.join(timeout=30)
        pad.plug(False)
        kf_e2e.close_window("canvas")
        game.wait_for_clean_exit()
        rows = kf_e2e.read_scores(game.scores)
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 1 and mine[0] > 1.5, f"no row of the player in {rows}")
        print(f"the gamepad game scored {mine[0]:.2f} cm")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
