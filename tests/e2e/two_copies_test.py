"""Two copies of the game started in one folder, each playing a game into the table (a game
without presses, which ends on its own): the first copy plays while the second waits
minimised, quits and saves; then the second, which loaded the table before the first saved,
plays and quits. Its save keeps the first copy's row: the table
holds both, in order, above the stored rows that made way. The stored rows are shorter than a
game without presses makes, so that both games reach the table however fast the machine is.
On Windows one copy runs per session: there the second copy is one of another session, in a
Wine prefix of its own (as two players' copies on a shared folder), saving through the same
file calls."""

import os
import shutil
import struct
import tempfile

import kf_e2e
import kf_screen
from kf_e2e import check

PLAYER = b"VOV1ER0U"
# As the file holds them: single-precision lengths.
SHORT_TABLE = [(struct.unpack("<f", struct.pack("<f", 1.0 - 0.1 * row))[0], b"SHORT")
               for row in range(10)]


def second_copy_beside(first):
    """A Game started in `first`'s folder, with a log of its own (and for Windows, a Wine
    prefix of its own, made here)."""
    second = kf_e2e.Game()
    shutil.rmtree(second.folder, ignore_errors=True)
    second.folder = first.folder
    second.scores = first.scores
    second.log_path = first.path("second.log")
    if kf_e2e.WINE:
        second.env["WINEPREFIX"] = tempfile.mkdtemp(prefix="kf_wine_second_session_")
        made = kf_e2e.run(["wineboot", "--init"], timeout=300, env=second.env)
        check(made.returncode == 0, f"wineboot failed:\n{made.stderr}")
        kf_e2e.run(["wineserver", "-w"], timeout=300, env=second.env)
    return second


def remove_second_prefix(second):
    if kf_e2e.WINE and second.env["WINEPREFIX"] != os.environ.get("WINEPREFIX"):
        kf_e2e.end_wineserver(second.env)
        shutil.rmtree(second.env["WINEPREFIX"], ignore_errors=True)


def play_and_quit(screens, game):
    """From the main menu: a game played into the table, then back to the menu and "Quit
    game", which saves."""
    kf_e2e.press("Return")  # "Start new game"
    screens.wait_for(game, kf_screen.congratulations, "the congratulations", "congratulations",
                     timeout=120)
    kf_e2e.press("Return")  # "Go to highscores"
    screens.wait_for(game, lambda t: kf_screen.has_line(t, "Back to main menu"),
                     "the highscores", "highscores")
    kf_e2e.press("Return")
    screens.wait_for(game, kf_screen.main_menu, "the main menu", "main_menu")
    kf_e2e.quit_game(game)


def test():
    screens = kf_screen.Screens()
    waiting = kf_e2e.Game()
    playing = second_copy_beside(waiting)
    try:
        kf_e2e.write_scores(waiting.scores, SHORT_TABLE)
        window = kf_screen.open_at_menu(screens, waiting, "waiting_copy")
        kf_e2e.minimize_window(window)
        check(not kf_e2e.window_mapped(window), "the waiting copy still shows")
        kf_screen.open_at_menu(screens, playing, "playing_copy")
        play_and_quit(screens, playing)
        first = kf_e2e.lengths_of(kf_e2e.read_scores(waiting.scores), PLAYER)
        check(len(first) == 1, f"the first copy saved no single row of its own: {first}")

        kf_e2e.restore_window(window)
        screens.wait_for(waiting, kf_screen.main_menu, "the waiting copy's menu", "restored")
        play_and_quit(screens, waiting)
        rows = kf_e2e.read_scores(waiting.scores)
        mine = kf_e2e.lengths_of(rows, PLAYER)
        check(len(mine) == 2 and first[0] in mine, f"the table lost a copy's row: {rows}")
        expected = sorted(mine, reverse=True)
        expected = [(length, PLAYER) for length in expected] + SHORT_TABLE[:8]
        check(rows == expected, f"saved table {rows}, expected {expected}")
        print(f"rows of both copies kept: {mine}")
    finally:
        playing.stop()
        waiting.cleanup()
        remove_second_prefix(playing)
    print(f"screenshots in {screens.folder}")


if __name__ == "__main__":
    kf_e2e.main(test, wine=True)
