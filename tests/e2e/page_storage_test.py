"""The table in the browser's storage, beyond what the play-through shows:
- A damaged stored table (100 bytes: two rows and the start of a third) loads as the Linux game
  loads such a file: the rows it supplies, the defaults for the rest, and the next save writes
  all ten rows.
- Where the browser refuses the page its storage (as a private window may), the game plays on
  and the page says, once, that the table will not be kept; a game still ends in the table of
  that visit, and "Quit game" still ends the game cleanly."""

import struct

import kf_e2e
import kf_page
import kf_screen
from kf_e2e import check

STORED_ROWS = [(77.5, b"ERSTE"), (66.25, b"ZWEITE"), (55.0, b"DRITTE")]
DAMAGED_SIZE = 100
NOTICE = "the highscore table will not be kept"


def damaged_table():
    image = b"".join(struct.pack("<f", length) + name.ljust(32, b"\0")
                     for length, name in STORED_ROWS)
    return image[:DAMAGED_SIZE]


def damaged_table_loads_as_on_linux():
    screens = kf_screen.Screens()
    game = kf_e2e.Game()
    try:
        with open(game.scores, "wb") as f:
            f.write(damaged_table())
        kf_screen.open_at_menu(screens, game)
        kf_e2e.type_keys(["Down", "Down", "Return"])  # "View highscores"
        for length, name in STORED_ROWS:
            screens.wait_for(game, lambda t: f"{length:.2f}" in kf_screen.table_lengths(
                t, name.decode()), f"the stored row {length:.2f} cm {name}", "highscores")
        kf_e2e.press("Return")  # "Back to main menu"
        kf_e2e.quit_game(game)
        expected = STORED_ROWS + kf_e2e.DEFAULT_TABLE[3:]
        rows = kf_e2e.read_scores(game.scores)
        check(rows == expected, f"saved table {rows}, expected {expected}")
    finally:
        game.cleanup()


def refused_storage_plays_on():
    screens = kf_screen.Screens()
    game = kf_page.PageGame(refuse_storage=True)
    try:
        kf_screen.open_at_menu(screens, game)
        notice = game.browser.notice()
        check(notice is not None and NOTICE in notice, f"no notice of the refusal: {notice!r}")
        check(game.browser.script("return document.querySelectorAll('#notice').length") == 1,
              "the notice shows more than once")
        # A whole game without presses ends below the table; the menu comes back.
        kf_e2e.press("Return")
        screens.wait_for(game, kf_screen.length_above(0.5), "a running game", "playing")
        kf_e2e.press("Escape")
        screens.wait_for(game, kf_screen.main_menu, "the main menu after the game", "menu")
        kf_e2e.quit_game(game)
        check(game.browser.notice() == notice, "the notice changed")
    finally:
        game.cleanup()


def test():
    damaged_table_loads_as_on_linux()
    refused_storage_plays_on()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
